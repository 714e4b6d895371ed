#!/usr/bin/env bash
# The Ansible collection against the real binary: three hosts run locally,
# each with its own folder, configuration, history and trash. First run,
# second run (nothing changed), check mode with diff, a version that is not
# there, a build brought in twice, keep twice, info; the documentation and
# the collection's tarball. Skips (77) where ansible-playbook is missing.
set -u
binary=$1
collections=$2
command -v ansible-playbook >/dev/null || { echo "SKIP: ansible-core is not installed"; exit 77; }
work=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
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

play() { # NAME, then the tasks' YAML; prints the output, returns ansible-playbook's status
    local name=$1 tasks=$2
    cat >"$work/$name.yml" <<PLAY
- hosts: all
  gather_facts: false
  environment:
    XDG_DATA_HOME: "{{ dir }}/data"
    XDG_STATE_HOME: "{{ dir }}/state"
  module_defaults:
    quillfen.quillfen.version: {config: "{{ dir }}/config.cfg", executable: "$binary"}
    quillfen.quillfen.info: {config: "{{ dir }}/config.cfg", executable: "$binary"}
  tasks:
$tasks
PLAY
    shift 2
    ansible-playbook -i "$work/hosts" "$@" "$work/$name.yml" >"$work/$name.log" 2>&1
}
recap() { # LOG, the expected "ok=N changed=N ... failed=N" part for every host
    local log=$1 want=$2 host
    for host in h1 h2 h3; do
        grep -Eq "^$host +: ok=[0-9]+ +$want" "$work/$log.log" \
            || { fail "$log: $host is not '$want'"; sed -n '/PLAY RECAP/,$p' "$work/$log.log"; }
    done
}
linked() { readlink "$work/$1/v/app.exe"; }

deploy='    - quillfen.quillfen.version: {target: app.exe, src: "{{ dir }}/build.bin", state: present}
      register: build
    - quillfen.quillfen.version: {target: "{{ dir }}/v/app.exe", version: "{{ build.added or build.version }}"}
    - quillfen.quillfen.version: {target: app.exe, keep: 1}'
play first "$deploy" || { fail "the first run failed"; cat "$work/first.log"; }
recap first "changed=3 +unreachable=0 +failed=0"
play second "$deploy" || fail "the second run failed"
recap second "changed=0 +unreachable=0 +failed=0"
for host in h1 h2 h3; do
    new=$(linked $host)
    [[ $new == app-*-1.exe ]] || fail "$host leads to $new"
    [ "$(cat "$work/$host/v/$new")" = "a new build of $host" ] || fail "$host: $new is not the build"
    [ "$(ls "$work/$host/v" | wc -l)" = 3 ] || fail "$host: $(ls "$work/$host/v")"
    # app-1.exe stays beyond KEEP: Back returns to it.
    [ -e "$work/$host/data/Trash/files/app-2.exe" ] || fail "$host: app-2.exe is not in the trash"
    [ -e "$work/$host/v/app-1.exe" ] || fail "$host: app-1.exe, the way back, was moved"
done

cp -a "$work/h1/v" "$work/before"
play check '    - quillfen.quillfen.version: {target: app.exe, version: app-1.exe}' --check --diff \
    || fail "check mode failed"
recap check "changed=1 +unreachable=0 +failed=0"
grep -q -- "-link: app-[0-9]*-1.exe" "$work/check.log" && grep -q "+link: app-1.exe" "$work/check.log" \
    || { fail "no diff of the link"; cat "$work/check.log"; }
[[ $(linked h1) == app-*-1.exe ]] && diff -r "$work/before" "$work/h1/v" >/dev/null \
    || fail "check mode changed the folder"

if play missing '    - quillfen.quillfen.version: {target: app.exe, version: app-9.exe}'; then
    fail "a version that is not there succeeded"
fi
recap missing "changed=0 +unreachable=0 +failed=1"
grep -q "app-9.exe is not a version of app.exe" "$work/missing.log" || fail "no reason given"
diff -r "$work/before" "$work/h1/v" >/dev/null || fail "the failed task changed the folder"

play info '    - quillfen.quillfen.info: {}
      register: info
    - ansible.builtin.assert:
        that:
          - info.targets | length == 1
          - info.targets[0].state == "link"
          - info.targets[0].link is match("app-[0-9]+-1.exe")
          - info.targets[0].versions | length == 2
          - info.targets[0].versions[0].current
          - not info.changed' || { fail "info"; cat "$work/info.log"; }
recap info "changed=0 +unreachable=0 +failed=0"

ansible-doc quillfen.quillfen.version 2>&1 | grep -q "executable" || fail "ansible-doc version"
ansible-doc quillfen.quillfen.info 2>&1 | grep -q "config" || fail "ansible-doc info"
ansible-galaxy collection build "$collections/ansible_collections/quillfen/quillfen" \
    --output-path "$work/built" >/dev/null 2>&1 && ls "$work/built"/quillfen-quillfen-*.tar.gz >/dev/null \
    || fail "the collection does not build"
[ $status = 0 ] && echo "ansible collection works"
exit $status
