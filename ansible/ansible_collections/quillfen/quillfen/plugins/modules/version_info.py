#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: The Quillfen developers
# MIT License (see LICENSE in the Quillfen repository)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: version_info
short_description: The targets of Quillfen on a host, where their links lead and their versions
description:
  - Reads the C(quillfen) command line's listing on the managed host, with
    C(--json). Never changes anything.
version_added: "1.0.0"
author:
  - The Quillfen developers (@quillfen)
options: {}
extends_documentation_fragment:
  - quillfen.quillfen.quillfen
attributes:
  check_mode:
    description: Reads only, in check mode as in any other.
    support: full
  diff_mode:
    description: Nothing changes, so there is no difference to show.
    support: none
notes:
  - Formerly C(quillfen.quillfen.info), which still redirects here.
'''

EXAMPLES = r'''
- name: Where every link leads
  quillfen.quillfen.version_info:
    config: /etc/quillfen/config.cfg
  register: quillfen

- name: Say it
  ansible.builtin.debug:
    msg: "{{ item.name }} -> {{ item.link }}"
  loop: "{{ quillfen.targets }}"
'''

RETURN = r'''
targets:
  description: Every configured target, in the configuration's order.
  returned: always
  type: list
  elements: dict
  contains:
    name:
      description: The link's name.
      type: str
    dir:
      description: The target's folder.
      type: str
    state:
      description: C(link), C(plain) (a file not yet made a link) or C(missing).
      type: str
    link:
      description: The file name of the version the link leads to, or null.
      type: str
    versions:
      description: The versions, newest first, each with C(name), C(current), C(size) and C(birth).
      type: list
      elements: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.quillfen.quillfen.plugins.module_utils.quillfen import Quillfen


def main():
    module = AnsibleModule(
        argument_spec=Quillfen.argument_spec(),
        supports_check_mode=True,
    )
    quillfen = Quillfen(module)
    targets = []
    for target in quillfen.run(['--list'])['targets']:
        listing = quillfen.run(['--list', str(target['number'])])
        targets.append(dict(name=target['name'], dir=target['dir'], state=target['state'],
                            link=target['link'], versions=listing['versions']))
    module.exit_json(changed=False, targets=targets)


if __name__ == '__main__':
    main()
