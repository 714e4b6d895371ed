# -*- coding: utf-8 -*-
# Copyright: The Quillfen developers
# MIT License (see LICENSE in the Quillfen repository)

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # The options every module passes to the command line.
    DOCUMENTATION = r'''
options:
  config:
    description:
      - The configuration file (the command line's C(-c)).
    type: path
  executable:
    description:
      - The quillfen program on the managed host.
    type: str
    default: quillfen
'''
