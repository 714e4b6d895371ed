# -*- coding: utf-8 -*-
# Copyright: The Quillfen developers
# MIT License (see LICENSE in the Quillfen repository)
"""Runs the quillfen command line on the managed host and reads its JSON."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os


class Quillfen(object):
    """The quillfen command line as the module's host has it."""

    @staticmethod
    def argument_spec():
        """The options every module passes to the command line."""
        return dict(config=dict(type='path'), executable=dict(type='str', default='quillfen'))

    def __init__(self, module):
        self.module = module
        executable = module.params['executable']
        if not os.path.isabs(executable):
            executable = module.get_bin_path(executable, required=True)
        # English messages, so that a failed task says what went wrong in
        # the words of the documentation.
        self.base = [executable, '-e', '--json']
        if module.params.get('config'):
            self.base += ['-c', module.params['config']]

    def run(self, arguments, dry_run=False, earlier=()):
        """The command's JSON answer; the task fails where the command refused.

        A failed task still tells what changed, in this command (exit status
        3: partly done) or in the earlier answers of the same task.
        """
        command = self.base + list(arguments) + (['--dry-run'] if dry_run else [])
        rc, out, err = self.module.run_command(command)
        try:
            answer = json.loads(out)
        except ValueError:
            self.module.fail_json(msg='quillfen gave no JSON answer: %s' % (err.strip() or out.strip()),
                                  rc=rc, cmd=command, stdout=out, stderr=err)
        if rc != 0:
            answer = answer if isinstance(answer, dict) else {}
            changed = bool(answer.get('changed')) or any(a.get('changed') for a in earlier)
            fields = {}
            for done in list(earlier) + [answer]:
                for key, value in done.items():
                    if key == 'trashed':
                        fields[key] = fields.get(key, []) + value
                    elif key not in ('changed', 'error') and value is not None:
                        fields[key] = value
            self.module.fail_json(msg=answer.get('error') or err.strip(), changed=changed, rc=rc,
                                  cmd=command, stderr=err, **fields)
        return answer
