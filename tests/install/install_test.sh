#!/usr/bin/env bash
# Installs the game as a package would, into a scratch DESTDIR, and plays the
# installed copy as a player would: from another folder, with no --data, the
# content read-only, and the player's folders pointed at scratch space. A
# new game saved at the inn must land in the player's data folder and load
# again, a broken battle script must leave its trace in the state folder, the
# installed tree must be found wherever it is moved, and nothing the
# installation put down may change.
#   tests/install/install_test.sh BUILD_DIR
set -euo pipefail

build="$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr/local >/dev/null
prefix="$work/root/usr/local"
content="$prefix/share/games/orvantis"
program="$prefix/games/orvantis"

# What lands where, and what stays behind.
for file in "$program" "$content/scripts/enemy_ai.lua" "$content/art/splash.txt" \
            "$prefix/share/man/man6/orvantis.6.gz" "$prefix/share/applications/orvantis.desktop" \
            "$prefix/share/icons/hicolor/64x64/apps/orvantis.png"; do
  [ -f "$file" ] || fail "not installed: ${file#"$prefix"/}"
done
[ -x "$program" ] || fail "the installed program cannot be run"
[ ! -e "$content/saves" ] || fail "the source tree's save slots were installed"
[ -z "$(find "$prefix" -name 'luaTrace.txt' -o -name 'orvantis_tests' -o -name 'orvantis_bench' \
        -o -name 'orvantis_balance')" ] || fail "a trace, a test or a tool was installed"

# The content is only ever read: make it so, and remember every byte of it.
chmod -R a-w "$prefix"
snapshot() { (cd "$prefix" && find . -printf '%M %n %s %p\n' | sort && find . -type f -exec sha256sum {} + | sort); }
snapshot > "$work/before.txt"

export XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config"
export HOME="$work/home" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$work/elsewhere"
cd "$work/elsewhere"

# Root writes through permission bits: where a private mount is allowed, run
# the game on a truly read-only view of the installation.
readonly_view=()
if [ "$(id -u)" -eq 0 ] && unshare -m --propagation private \
     sh -c 'mount --bind -o ro "$1" "$1" && ! touch "$1/probe" 2>/dev/null' sh "$prefix" 2>/dev/null; then
  readonly_view=(unshare -m --propagation private sh -c 'mount --bind -o ro "$1" "$1" && shift && exec "$@"' sh "$prefix")
fi
play() {  # play LINES_FILE FRAMES_FILE [options...]
  local lines="$1" frames="$2"; shift 2
  "${readonly_view[@]}" "$program" --headless --seed 11 --input "$lines" "$@" > "$frames" \
    || fail "the game ended with status $? on $lines"
}

# First of all, the installation plays from its own content, not from the
# source tree it was built from (whose slots the saves below would touch),
# and it finds that content wherever it is moved: mark a copy's title screen.
cp -r "$prefix" "$work/moved" && chmod -R u+w "$work/moved"
sed -i 's/CHRONICALLY UNDERQUALIFIED/CHRONICALLY RELOCATABLE!!/' "$work/moved/share/games/orvantis/art/splash.txt"
printf '0\n' > quit.txt
"$work/moved/games/orvantis" --headless --input quit.txt > moved.frames || fail "the moved program failed"
grep -q "CHRONICALLY RELOCATABLE" moved.frames || fail "the moved program did not read its own content"

# A new game, skipping every lesson, straight to the Rustwater inn: save in slot 2.
to_town=(1 0 zed f c bob r c "" 1 "" "" "" "")
printf '%s\n' "${to_town[@]}" 3 0 5 2 0 0 '*' > new-game.txt
play new-game.txt new-game.frames
grep -q "Game saved in slot 2" new-game.frames || fail "no save at the inn (new-game.frames)"
slot="$XDG_DATA_HOME/orvantis/saves/2.txt"
[ -s "$slot" ] || fail "the slot is not in the player's data folder: $(find "$work" -name 2.txt)"
[ "$(stat -c %a "$XDG_DATA_HOME/orvantis/saves")" = 700 ] || fail "the saves folder is not private to the player"

# A second run loads it, back in the same inn.
printf '%s\n' 2 2 > load.txt
play load.txt load.frames
grep -q "Game loaded." load.frames || fail "the saved game did not load (load.frames)"
grep -q "Inn" load.frames || fail "the loaded game is not at the inn"

# A battle script that does not load: the trace goes to the state folder.
# The installed content is read-only, so the broken script lives in a copy.
cp -r "$content" "$work/broken" && chmod -R u+w "$work/broken"
echo 'this is not lua (' > "$work/broken/scripts/enemy_ai.lua"
printf '%s\n' "${to_town[@]}" + + + 0 0 5 0 2 2 0 1 1 > fight.txt
play fight.txt fight.frames --data "$work/broken"
grep -q "Error loading file: scripts/enemy_ai.lua" "$XDG_STATE_HOME/orvantis/luaTrace.txt" 2>/dev/null \
  || fail "no trace in the state folder: $(find "$work" -name luaTrace.txt)"
[ ! -e "$work/broken/luaTrace.txt" ] || fail "the trace was written into the content directory"

snapshot > "$work/after.txt"
diff -u "$work/before.txt" "$work/after.txt" >&2 || fail "the installed tree changed while playing"
echo "install test: 1 passed, 0 failed"
