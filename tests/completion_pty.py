#!/usr/bin/env python3
"""Completes hostile version names through real interactive shells (bash and
zsh) on a pseudo-terminal, as a user pressing Tab does: no name is ever run
as code, and each is inserted as one word that the shell reads back exactly.

   completion_pty.py BINARY BASH_COMPLETION ZSH_COMPLETION
Exits 77 where neither shell is installed."""

import os
import pty
import select
import shutil
import sys
import tempfile
import time

binary, bash_completion, zsh_completion = sys.argv[1:4]

# Each name with the prefix typed before Tab, unique among them ("$" typed
# escaped, or zsh completes a parameter's name).
NAMES = {
    'app-$(touch${IFS}PWNED).exe': 'app-\\$',
    'app-c$(touch PWNED).exe': 'app-c',
    'app-with space.exe': 'app-w',
    'app-q\'"x.exe': 'app-q',
    'app-b`touch PWNED`.exe': 'app-b',
    'app-star*.exe': 'app-s',
}

# Commands other than --list show their arguments instead of running.
FAKE = r'''quillfen() {
    case " $* " in
        *" --list "*) command quillfen "$@" ;;
        *) printf '<%s>\n' "$@"; echo DONE ;;
    esac
}
'''


def read_until(fd, marker, seconds=15):
    seen = b''
    deadline = time.time() + seconds
    while marker not in seen:
        left = deadline - time.time()
        if left <= 0:
            raise TimeoutError('no %r in %r' % (marker, seen[-400:]))
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            try:
                seen += os.read(fd, 4096)
            except OSError:
                break
    return seen


def shell_session(argv, env, cwd):
    """Types each name's prefix and Tab, then Enter; returns the words the
    command received, by name."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(cwd)
        os.execvpe(argv[0], argv, env)
    received = {}
    try:
        read_until(fd, b'READY> ')
        for name, prefix in NAMES.items():
            os.write(fd, ('quillfen --set app.exe ' + prefix).encode() + b'\t')
            time.sleep(0.3)
            os.write(fd, b'\r')
            out = read_until(fd, b'DONE\r\n')
            words = [line[1:-1] for line in out.decode('utf-8', 'replace').split('\r\n')
                     if line.startswith('<') and line.endswith('>')]
            received[name] = words[-1] if words else None
            if b'READY> ' not in out.split(b'DONE\r\n', 1)[1]:
                read_until(fd, b'READY> ')
        os.write(fd, b'exit\r')
    finally:
        time.sleep(0.2)
        try:
            os.kill(pid, 9)
        except ProcessLookupError:
            pass
        os.waitpid(pid, 0)
        os.close(fd)
    return received


def main():
    work = tempfile.mkdtemp()
    status = 0
    tried = 0
    try:
        versions = os.path.join(work, 'versions')
        os.makedirs(os.path.join(work, 'bin'))
        os.makedirs(versions)
        os.symlink(binary, os.path.join(work, 'bin', 'quillfen'))
        for name in NAMES:
            with open(os.path.join(versions, name), 'w') as version:
                version.write(name)
        os.symlink(next(iter(NAMES)), os.path.join(versions, 'app.exe'))
        with open(os.path.join(work, 'config.cfg'), 'w') as config:
            config.write('Target app.exe "%s"\n' % versions)
        env = {'PATH': os.path.join(work, 'bin') + ':/usr/bin:/bin', 'HOME': work, 'TERM': 'dumb',
               'XDG_STATE_HOME': os.path.join(work, 'state'), 'LANG': 'C.UTF-8'}
        sessions = []
        if shutil.which('bash'):
            with open(os.path.join(work, 'bashrc'), 'w') as rc:
                rc.write("PS1='READY> '\nsource '%s'\n%s" % (bash_completion, FAKE))
            sessions.append(('bash', ['bash', '--noprofile', '--rcfile', os.path.join(work, 'bashrc'), '-i'], env))
        if shutil.which('zsh'):
            functions = os.path.join(work, 'zsh-functions')
            os.makedirs(functions)
            shutil.copy(zsh_completion, os.path.join(functions, '_quillfen'))
            with open(os.path.join(work, '.zshrc'), 'w') as rc:
                rc.write("PS1='READY> '\nunsetopt zle_bracketed_paste 2>/dev/null\n"
                         "fpath=(%s $fpath)\nautoload -Uz compinit\ncompinit -u -D\n%s"
                         % (functions, FAKE))
            sessions.append(('zsh', ['zsh', '-i'], dict(env, ZDOTDIR=work)))
        for shell, argv, shell_env in sessions:
            tried += 1
            received = shell_session(argv, shell_env, work)
            for name in NAMES:
                if received.get(name) != name:
                    print('FAIL: %s completed %r to %r' % (shell, NAMES[name], received.get(name)))
                    status = 1
            for root, _, files in os.walk(work):
                if 'PWNED' in files:
                    print('FAIL: %s ran a name as code (%s)' % (shell, root))
                    status = 1
        if not tried:
            print('SKIP: neither bash nor zsh is installed')
            return 77
        if status == 0:
            print('completion through %s: every name one word, none run' % ' and '.join(s[0] for s in sessions))
    finally:
        shutil.rmtree(work)
    return status


sys.exit(main())
