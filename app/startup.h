#ifndef STARTUP_H
#define STARTUP_H

#include <QString>

class ConfigStore;

// Empties the debug log "log.log" in the working directory, creating it if it
// is missing. Nothing is ever written into it.
void resetLog();

// "config.cfg" unless "-c" or "-config" names another file; "-config" wins.
QString configFileName(const ConfigStore &options);

// True when the configuration asks for the debug log: Debug_to_file is
// exactly 1.
bool debugToFile(const ConfigStore &config);

#endif // STARTUP_H
