#!/usr/bin/env bash
# The Ansible collection against the real binary: three hosts run locally,
# each with its own folder, configuration, history and trash. First run,
# second run (nothing changed), check mode with diff, a version that is not
# there, a build brought in twice, keep twice, a task that fails half-way,
# wrong combinations, version_info and its old name; the documentation and
# the collection's tarball. Skips (77) where ansible-playbook is missing.
set -u
binary=$1
collections=$2
command -v ansible-playbook >/dev/null || { echo "SKIP: ansible-core is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ANSIBLE_COLLECTIONS_PATH=$collections HOME=$work/home ANSIBLE_LOCAL_TEMP=$work/tmp \
    ANSIBLE_REMOTE_TEMP=$work/tmp ANSIBLE_NOCOLOR=1 ANSIBLE_HOST_KEY_CHECKING=0
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
status=0
fail() { echo "FAIL: $*"; status=1; }

: >"$work/hosts"
for host in h1 h2 h3; do
    dir=$work/$host
    mkdir -p "$dir/v"
    for n in 1 2; do echo "$host version $n" >"$dir/v/app-$n.exe"; sleep 0.02; done
    ln -s app-1.exe "$dir/v/app.exe"
    echo "a new build of $host" >"$dir/build.bin"
    printf 'Target app.exe "%s/v"\n' "$dir" >"$dir/config.cfg"
    echo "$host ansible_connection=local ansible_python_interpreter=/usr/bin/python3 dir=$dir" \
        >>"$work/hosts"
done

# play NAME 'changed=N failed=N' TASKS [OPTIONS]: runs the tasks on every
# host and checks each host's recap line.
play() {
    local name=$1 want=$2 tasks=$3 host
    cat >"$work/$name.yml" <<PLAY
- hosts: all
  gather_facts: false
  environment: {XDG_DATA_HOME: "{{ dir }}/data", XDG_STATE_HOME: "{{ dir }}/state"}
  module_defaults:
    quillfen.quillfen.version: {config: "{{ dir }}/config.cfg", executable: "$binary"}
    quillfen.quillfen.version_info: {config: "{{ dir }}/config.cfg", executable: "$binary"}
  tasks:
$tasks
PLAY
    shift 3
    ansible-playbook -i "$work/hosts" "$@" "$work/$name.yml" >"$work/$name.log" 2>&1
    for host in h1 h2 h3; do
        grep -Eq "^$host +: ok=[0-9]+ +${want/ / +unreachable=0 +}" "$work/$name.log" \
            || { fail "$name: $host is not '$want'"; cat "$work/$name.log"; return; }
    done
}

# The README's play: bring the build in and use it, one task that check mode
# plans whole, then keep the newest. In check mode the clean-up sees the
# folder without the new build, so it would move nothing yet.
deploy='    - quillfen.quillfen.version: {target: "{{ dir }}/v/app.exe", src: "{{ dir }}/build.bin", state: current}
    - quillfen.quillfen.version: {target: app.exe, keep: 1}'
cp -a "$work/h1/v" "$work/fresh"
play planned "changed=1 failed=0" "$deploy" --check --diff
grep -q "+link: app-[0-9]*-1.exe" "$work/planned.log" || fail "check mode does not plan the new build's use"
diff -r "$work/fresh" "$work/h1/v" >/dev/null || fail "check mode changed the folder"
play first "changed=2 failed=0" "$deploy"
play second "changed=0 failed=0" "$deploy"
for host in h1 h2 h3; do
    v=$work/$host/v
    new=$(readlink "$v/app.exe")
    [[ $new == app-*-1.exe && $(cat "$v/$new") == "a new build of $host" ]] || fail "$host: $new"
    # app-2.exe goes; app-1.exe stays beyond KEEP, as Back returns to it.
    [[ $(ls "$v" | wc -l) == 3 && -e $v/app-1.exe && -e $work/$host/data/Trash/files/app-2.exe ]] \
        || fail "$host: $(ls "$v")"
done

cp -a "$work/h1/v" "$work/before"
play check "changed=1 failed=0" '    - quillfen.quillfen.version: {target: app.exe, version: app-1.exe}' \
    --check --diff
grep -q -- "-link: app-[0-9]*-1.exe" "$work/check.log" && grep -q "+link: app-1.exe" "$work/check.log" \
    || fail "no diff of the link"
play missing "changed=0 failed=1" '    - quillfen.quillfen.version: {target: app.exe, version: app-9.exe}'
grep -q "app-9.exe is not a version of app.exe" "$work/missing.log" || fail "no reason given"
diff -r "$work/before" "$work/h1/v" >/dev/null || fail "check mode or the failed task changed the folder"
play wrong "changed=0 failed=1" '    - quillfen.quillfen.version: {target: app.exe, src: "{{ dir }}/build.bin", version: app-1.exe}'
grep -q "parameters are mutually exclusive: src|version" "$work/wrong.log" || fail "src with version is not refused"
play info "changed=0 failed=0" '    - quillfen.quillfen.info: {}
      register: old
    - quillfen.quillfen.version_info: {}
      register: info
    - ansible.builtin.assert:
        that:
          - info.targets | length == 1 and info.targets[0].state == "link" and not info.changed
          - info.targets[0].link is match("app-[0-9]+-1.exe")
          - info.targets[0].versions | length == 2 and info.targets[0].versions[0].current'

# A task whose add succeeds and whose clean-up then fails (no trash to be
# had) fails, and still reports the change it made.
for host in h1 h2 h3; do
    echo "a later build of $host" >"$work/$host/build2.bin"
    mv "$work/$host/data/Trash" "$work/$host/trash.saved" && : >"$work/$host/data/Trash"
done
# A failed task counts as failed in the recap; its result says what changed.
play partial "changed=0 failed=1" \
    '    - quillfen.quillfen.version: {target: app.exe, src: "{{ dir }}/build2.bin", state: present, keep: 0}'
[ "$(grep -c 'FAILED! => {.*"added": "app-[0-9]*-2.exe".*"changed": true.*Could not move' \
    "$work/partial.log")" = 3 ] || fail "the failed task does not tell what it changed"
for host in h1 h2 h3; do
    rm "$work/$host/data/Trash" && mv "$work/$host/trash.saved" "$work/$host/data/Trash"
done

ansible-doc quillfen.quillfen.version 2>&1 | grep -q "executable" || fail "ansible-doc version"
ansible-doc quillfen.quillfen.version_info 2>&1 | grep -q "config" || fail "ansible-doc version_info"
grep -q "quillfen.quillfen.info has been deprecated" "$work/info.log" || fail "info does not redirect, deprecated"
ansible-galaxy collection build "$collections/ansible_collections/quillfen/quillfen" \
    --output-path "$work/built" >/dev/null 2>&1 || fail "the collection does not build"
# ansible-test's sanity tests, on a copy (it writes tests/output beside the
# collection). Those that install their requirements from PyPI, which this
# machine does not reach, are left out.
mkdir -p "$work/sanity/ansible_collections/quillfen"
cp -a "$collections/ansible_collections/quillfen/quillfen" "$work/sanity/ansible_collections/quillfen/"
(cd "$work/sanity/ansible_collections/quillfen/quillfen" && ansible-test sanity --local --python \
    "$(python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')" --color no \
    --skip-test ansible-doc --skip-test import --skip-test pep8 --skip-test pylint \
    --skip-test runtime-metadata --skip-test validate-modules --skip-test yamllint \
    >"$work/sanity.log" 2>&1) || { fail "ansible-test sanity"; cat "$work/sanity.log"; }
[ $status = 0 ] && echo "ansible collection works"
exit $status
