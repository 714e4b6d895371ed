#!/usr/bin/env python3
"""Hostile version names completed with Tab in real interactive bash and zsh
on a pseudo-terminal: each arrives as one exact word, and none runs as code.
   completion_pty.py BINARY BASH_COMPLETION ZSH_COMPLETION (77: no shell)"""
import os, pty, select, shutil, sys, tempfile, time

binary, bash_completion, zsh_completion = sys.argv[1:4]
# Each name and the prefix typed before Tab ("$" escaped, or zsh completes a
# parameter's name).
NAMES = {'app-$(touch${IFS}PWNED).exe': 'app-\\$', 'app-c$(touch PWNED).exe': 'app-c',
         'app-with space.exe': 'app-w', 'app-q\'"x.exe': 'app-q',
         'app-b`touch PWNED`.exe': 'app-b', 'app-star*.exe': 'app-s'}
# Commands other than --list show their words instead of running.
FAKE = ('quillfen() { case " $* " in *" --list "*) command quillfen "$@" ;;'
        ' *) printf "<%s>\\n" "$@"; echo DONE ;; esac; }\n')


def read_until(fd, marker, seen=b''):
    deadline = time.time() + 15
    while marker not in seen:
        if not select.select([fd], [], [], max(0, deadline - time.time()))[0]:
            raise TimeoutError('no %r in %r' % (marker, seen[-300:]))
        seen += os.read(fd, 4096)
    return seen.split(marker, 1)


def typed_words(argv, env, cwd):
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(cwd)
        os.execvpe(argv[0], argv, env)
    got, rest = {}, read_until(fd, b'READY> ')[1]
    for name, prefix in NAMES.items():
        os.write(fd, ('quillfen --set app.exe ' + prefix + '\t').encode())
        time.sleep(0.3)
        os.write(fd, b'\r')
        out, rest = read_until(fd, b'DONE\r\n', rest)
        words = [w[1:-1] for w in out.decode('utf-8', 'replace').split('\r\n') if w[:1] == '<']
        got[name] = words[-1] if words else None
        rest = read_until(fd, b'READY> ', rest)[1]
    os.kill(pid, 9)
    os.waitpid(pid, 0)
    return got


work = tempfile.mkdtemp()
versions = os.path.join(work, 'versions')
os.makedirs(os.path.join(work, 'bin'))
os.makedirs(versions)
os.symlink(binary, os.path.join(work, 'bin', 'quillfen'))
for name in NAMES:
    open(os.path.join(versions, name), 'w').write(name)
os.symlink(next(iter(NAMES)), os.path.join(versions, 'app.exe'))
open(os.path.join(work, 'config.cfg'), 'w').write('Target app.exe "%s"\n' % versions)
env = {'PATH': os.path.join(work, 'bin') + ':/usr/bin:/bin', 'HOME': work, 'TERM': 'dumb',
       'XDG_STATE_HOME': os.path.join(work, 'state'), 'LANG': 'C.UTF-8', 'ZDOTDIR': work}
open(os.path.join(work, 'bashrc'), 'w').write("PS1='READY> '\nsource '%s'\n%s" % (bash_completion, FAKE))
os.makedirs(os.path.join(work, 'zfunc'))
shutil.copy(zsh_completion, os.path.join(work, 'zfunc', '_quillfen'))
open(os.path.join(work, '.zshrc'), 'w').write(
    "PS1='READY> '\nfpath=(%s/zfunc $fpath)\nautoload -Uz compinit\ncompinit -u -D\n%s" % (work, FAKE))
shells = [s for s in (['bash', '--noprofile', '--rcfile', os.path.join(work, 'bashrc'), '-i'],
                      ['zsh', '-i']) if shutil.which(s[0])]
status = 0 if shells else 77
for argv in shells:
    for name, word in typed_words(argv, env, work).items():
        if word != name:
            print('FAIL: %s completed %r to %r' % (argv[0], NAMES[name], word))
            status = 1
    if any('PWNED' in files for _, _, files in os.walk(work)):
        print('FAIL: %s ran a name as code' % argv[0])
        status = 1
shutil.rmtree(work)
print('completion through %s checked' % ' and '.join(s[0] for s in shells) if status == 0 else '')
sys.exit(status)
