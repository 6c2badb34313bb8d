#!/bin/sh
# install-test.sh BUILD_DIR VERSION
# Installs BUILD_DIR into a temporary DESTDIR and checks the layout; runs the
# installed programs; checks that each manual page lists every command and
# option its program's --help prints; runs the desktop entry, MIME, metainfo
# and completion checks whose tools are installed.
set -eu
build=$1 version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr > /dev/null
usr=$root/usr
app=io.github.quorrel.Quorrel

for file in bin/quorrel bin/quorrel-cli \
    share/applications/$app.desktop share/metainfo/$app.metainfo.xml share/mime/packages/$app.xml \
    share/icons/hicolor/scalable/apps/$app.svg \
    share/man/man1/quorrel.1.gz share/man/man1/quorrel-cli.1.gz \
    share/bash-completion/completions/quorrel-cli \
    share/doc/quorrel/copyright share/doc/quorrel/changelog.gz; do
  [ -f "$usr/$file" ] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$usr/share/icons/hicolor/${size}x$size/apps/$app.png" ] || fail "no ${size}px icon"
done
[ -x "$usr/bin/quorrel-cli" ] && [ -x "$usr/bin/quorrel" ] || fail "programs are not executable"

# The installed programs run; the editor answers --help without a display.
"$usr/bin/quorrel-cli" --help > "$root/quorrel-cli.help" || fail "quorrel-cli --help failed"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/quorrel" --help > "$root/quorrel.help" \
  || fail "quorrel --help failed"
[ "$("$usr/bin/quorrel" --version)" = "quorrel $version" ] || fail "quorrel --version is not $version"
"$usr/bin/quorrel-cli" list "$root/missing.T3D" 2> /dev/null && fail "quorrel-cli list of a missing file succeeded"

# Every command (a help line's first word) and every option of the help is in
# the page; commands must start an entry.
for program in quorrel quorrel-cli; do
  page=$(gzip -dc "$usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
  help=$root/$program.help
  for command in $(sed -n 's/^  \([a-z][a-z0-9-]*\).*/\1/p' "$help"); do
    printf '%s\n' "$page" | grep -qE "^$command( |$)" || fail "$program.1 lacks the command $command"
  done
  for option in $(grep -oE -- '(^|[][ (|,])--?[a-zA-Z][a-zA-Z0-9-]*' "$help" | sed 's/^[^-]*//' | sort -u); do
    printf '%s\n' "$page" | grep -qF -- "$option" || fail "$program.1 lacks the option $option"
  done
done

if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$usr/share/applications/$app.desktop" || fail "desktop entry is not valid"
fi
if command -v xmllint > /dev/null; then
  xmllint --noout "$usr/share/metainfo/$app.metainfo.xml" "$usr/share/mime/packages/$app.xml" \
    || fail "XML files are not well-formed"
fi
if command -v update-mime-database > /dev/null; then
  mkdir -p "$root/mime/packages"
  cp "$usr/share/mime/packages/$app.xml" "$root/mime/packages/"
  XDG_DATA_DIRS=$root update-mime-database "$root/mime" || fail "update-mime-database refused the MIME package"
  grep -q 'application/x-quorrel-scene:\*\.t3d' "$root/mime/globs2" || fail "no *.T3D glob"
  for magic in VK7N VK7O; do
    grep -aq "$magic" "$root/mime/magic" || fail "no $magic magic"
  done
fi

# The completion, when bash-completion is there: commands, then file names
# filtered by what each argument takes.
completion=/usr/share/bash-completion/bash_completion
if [ -f "$completion" ] && command -v bash > /dev/null; then
  mkdir "$root/files" && cd "$root/files"
  touch a.T3D b.t3d c.tga d.png e.txt f.dds && mkdir dir
  complete_line() {
    PATH=$usr/bin:$PATH bash -c '. "$1"; . "$2"; shift 2
      COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
      _quorrel_cli; printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | tr "\n" " "' \
      bash "$completion" "$usr/share/bash-completion/completions/quorrel-cli" "$@"
  }
  expect() {  # expect WANTED WORD...: completing the last word offers WANTED
    wanted=$1 && shift
    got=$(complete_line "$@" 2> /dev/null)
    [ "$got" = "$wanted" ] || fail "completing '$*' gave '$got', not '$wanted'"
  }
  expect "extract extract-all " quorrel-cli ext
  expect "a.T3D b.t3d dir " quorrel-cli list ''
  expect "d.png dir " quorrel-cli export c.tga ''
  expect "dir " quorrel-cli extract-all a.T3D ''
  expect "dir " quorrel-cli import a.T3D ''
  expect "c.tga d.png dir f.dds " quorrel-cli replace a.T3D 0 ''
  expect "a.T3D b.t3d dir " quorrel-cli replace a.T3D 0 c.tga -o ''
  expect "--help --level --levels --mip-filter --png-level " quorrel-cli export --
  expect "--dds --dds-palette --force --help --png --png-level " quorrel-cli extract-all --
fi
echo "install layout checked in $root"
