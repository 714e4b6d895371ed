#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: The Quillfen developers
# MIT License (see LICENSE in the Quillfen repository)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: version
short_description: Point a program's link to a version, bring versions in and clear them out
description:
  - Drives the C(quillfen) command line on the managed host, which keeps the
    versions of a program side by side in one folder and lets a link with the
    program's usual name point to the version in use.
  - Every rule (what a version is, which one may be moved to the trash, when
    nothing needs to change) is the command line's; the module only asks and
    reports. C(changed) is true only where the link moved or a file was added
    or moved, so a second run of the same play reports nothing changed.
  - The versions moved away go to the desktop's trash of the user the task
    runs as, never deleted.
version_added: "1.0.0"
author:
  - The Quillfen developers (@quillfen)
options:
  target:
    description:
      - The target as the command line takes it, the link's name as
        configured (C(app.exe)), C(DIR:NAME), the target's number, or the
        absolute path of the link (C(/opt/app/app.exe)), which needs no
        configuration.
    type: str
    required: true
  version:
    description:
      - The file name of a version in the target's folder.
      - With I(state=current), the link is pointed to it.
      - With I(state=absent), it is moved to the trash; the version in use is
        refused.
      - Mutually exclusive with I(src) and I(previous).
    type: str
  src:
    description:
      - The path on the managed host of a file to bring in as a new version,
        under a dated name. Nothing is added where a version with the same
        content (size and SHA-256) is already there.
      - With I(state=present) it is only brought in; with I(state=current)
        the link is also pointed to it (or to the version that already was
        that content), as one action that check mode plans whole.
    type: path
  state:
    description:
      - C(current) points the link to I(version) or to I(src) brought in,
        C(present) brings I(src) in, C(absent) moves I(version) to the trash.
    type: str
    choices: [current, present, absent]
    default: current
  keep:
    description:
      - After the rest, move all but the newest I(keep) versions to the
        trash, never the one in use.
    type: int
  previous:
    description:
      - Point the link back to the version it led to before its latest
        recorded change.
    type: bool
    default: false
extends_documentation_fragment:
  - quillfen.quillfen.quillfen
attributes:
  check_mode:
    description: The command line's C(--dry-run) plans every step, the same checks as a real run.
    support: full
  diff_mode:
    description: The version the link leads to, before and after, and what was added or moved.
    support: full
notes:
  - Another Quillfen working in the same folder is waited for a few seconds;
    then the task fails.
'''

EXAMPLES = r'''
- name: Bring the new build in and use it
  quillfen.quillfen.version:
    target: /opt/app/app.exe
    src: /tmp/app-build.exe
    state: current

- name: Only bring a build in
  quillfen.quillfen.version:
    target: /opt/app/app.exe
    src: /tmp/app-build.exe
    state: present
  register: build

- name: Keep the newest three
  quillfen.quillfen.version:
    target: app.exe
    config: /etc/quillfen/config.cfg
    keep: 3

- name: Back to the version before
  quillfen.quillfen.version:
    target: app.exe
    previous: true
'''

RETURN = r'''
before:
  description: The version the link led to before the task, or null.
  returned: always
  type: str
after:
  description: The version the link leads to after the task (would, in check mode), or null.
  returned: always
  type: str
added:
  description: The name the file brought in got, or null where nothing was added.
  returned: always
  type: str
version:
  description: With I(state=present), the version whose content the file already was, if any.
  returned: always
  type: str
trashed:
  description: The versions moved to the trash.
  returned: always
  type: list
  elements: str
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.quillfen.quillfen.plugins.module_utils.quillfen import Quillfen


def requests(params):
    """The command lines the task asks for, in order."""
    target = params['target']
    asked = []
    if params['previous']:
        asked.append(['--previous', target])
    elif params['src'] is not None:
        use = ['--use'] if params['state'] == 'current' else []
        asked.append(['--add', target, params['src']] + use)
    elif params['state'] == 'absent':
        asked.append(['--trash', target, params['version']])
    elif params['version'] is not None:
        asked.append(['--set', target, params['version']])
    if params['keep'] is not None:
        asked.append(['--prune', target, str(params['keep'])])
    return asked


def main():
    module = AnsibleModule(
        argument_spec=dict(
            target=dict(type='str', required=True),
            version=dict(type='str'),
            src=dict(type='path'),
            state=dict(type='str', default='current', choices=['current', 'present', 'absent']),
            keep=dict(type='int'),
            previous=dict(type='bool', default=False),
            **Quillfen.argument_spec()
        ),
        required_if=[('state', 'present', ('src',)), ('state', 'absent', ('version',))],
        mutually_exclusive=[('previous', 'version'), ('previous', 'src'), ('src', 'version')],
        supports_check_mode=True,
    )
    asked = requests(module.params)
    if not asked:
        module.fail_json(msg='Nothing to do: give version, src, keep or previous')
    quillfen = Quillfen(module)
    answers = []
    for arguments in asked:
        answers.append(quillfen.run(arguments, dry_run=module.check_mode, earlier=answers))
    result = dict(
        changed=any(answer.get('changed') for answer in answers),
        before=answers[0].get('before'),
        after=answers[-1].get('after'),
        added=next((a['added'] for a in answers if a.get('added')), None),
        version=next((a['version'] for a in answers if a.get('version')), None),
        trashed=[name for answer in answers for name in answer.get('trashed', [])],
    )
    if module._diff:
        result['diff'] = dict(
            before='link: %s\nversions moved to the trash: none\n' % result['before'],
            after='link: %s\nversions moved to the trash: %s\n%s' % (
                result['after'], ', '.join(result['trashed']) or 'none',
                'added: %s\n' % result['added'] if result['added'] else ''))
    module.exit_json(**result)


if __name__ == '__main__':
    main()
