#ifndef STARTUP_H
#define STARTUP_H

#include <QString>

class ConfigStore;
class QTranslator;

// Empties the debug log "log.log" in the working directory, creating it if it
// is missing. Nothing is ever written into it.
void resetLog();

// "config.cfg" unless "-c" or "-config" names another file ("-config" wins);
// when neither is given and there is no "config.cfg" in the working
// directory, the user's "quillfen/config.cfg" if it exists. A name that
// exists nowhere stays "config.cfg", so the message about it says so.
QString configFileName(const ConfigStore &options);

// True when the configuration asks for the debug log: Debug_to_file is
// exactly 1.
bool debugToFile(const ConfigStore &config);

// Unless -e is given: the program's Japanese catalogue into ours and Qt's own
// (qtbase_ja, for its dialogs' buttons and texts) into qt, both installed.
void installTranslations(const ConfigStore &options, QTranslator *ours, QTranslator *qt);

#endif // STARTUP_H
