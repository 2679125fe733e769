#!/usr/bin/env bash
# The content rules on the demonstration set: two builds give identical bytes, a build with nothing changed runs
# no tool, a changed fragment reruns only its file and the pack, and a deleted pack is made again, the same.
# usage: content_rules.sh SOURCE_ROOT SCRATCH XMLCONV ART FONTSHEET SOUND PAK
set -euo pipefail
source_root=$1 scratch=$2
shift 2
tools=(-DILVANE_SOURCE="$source_root" -DILVANE_TOOL_xmlconv="$1" -DILVANE_TOOL_art="$2"
       -DILVANE_TOOL_fontsheet="$3" -DILVANE_TOOL_sound="$4" -DILVANE_TOOL_pak="$5")
demo=$source_root/tests/tools/content_demo
rm -rf "$scratch"
mkdir -p "$scratch"
cp -r "$demo" "$scratch/source"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*"; exit 1; }
build() { cmake --build "$1" -- -v; }
# Builds, and names the content tools the build ran (the glob check that CMake adds to every build is no content
# work). A dry run cannot tell: it stops at that check.
tool_runs() { build "$1" | { grep -oE '/ilvane-(xmlconv|art|fontsheet|sound|pak) ' || true; } | tr -d '/ ' | sort -u | xargs; }

for b in one two; do
    cmake -S "$scratch/source" -B "$scratch/$b" -G Ninja "${tools[@]}" > /dev/null
    build "$scratch/$b" > "$scratch/$b.log"
done
diff -r "$scratch/one/data" "$scratch/two/data" || fail "two builds made different data folders"
cmp "$scratch/one/data.pak" "$scratch/two/data.pak" || fail "two builds made different archives"
for f in cfg/loc.xml cfg/ui.xml images/tile.png images/dot.png anm/dot.anm fonts/small.txt fonts/small.png \
         fonts/small_outline.png sounds/blip.wav music/tune.ogg; do
    [ -s "$scratch/one/data/$f" ] || fail "$f was not made"
done

runs=$(tool_runs "$scratch/one")
[ -z "$runs" ] || fail "a build with nothing changed ran: $runs"

echo '<root><dialog id="third"/></root>' > "$scratch/source/content/cfg/ui.d/30_third.xml"
runs=$(tool_runs "$scratch/one")
[ "$runs" = "ilvane-pak ilvane-xmlconv" ] || fail "a new fragment ran: $runs"
touch "$scratch/source/content/sounds/blips.xml"
runs=$(tool_runs "$scratch/one")
[ "$runs" = "ilvane-pak ilvane-sound" ] || fail "a touched sound recipe ran: $runs"
cmp -s "$scratch/one/data.pak" "$scratch/two/data.pak" && fail "the new fragment did not reach the archive"

cp "$scratch/one/data.pak" "$scratch/before.pak"
rm "$scratch/one/data.pak"
build "$scratch/one" > /dev/null
cmp "$scratch/one/data.pak" "$scratch/before.pak" || fail "a pack made again differs"
# A recipe in a subfolder would be neither run nor converted: the build refuses it and names it.
mkdir -p "$scratch/source/content/art/extra"
cp "$scratch/source/content/art/"*.xml "$scratch/source/content/art/extra/"
if cmake -S "$scratch/source" -B "$scratch/three" -G Ninja "${tools[@]}" > "$scratch/three.log" 2>&1; then
    fail "a recipe in a subfolder of art/ was accepted"
fi
# CMake wraps the message, so its lines are joined first.
tr '\n' ' ' < "$scratch/three.log" | grep -q "subfolder of art/.*art/extra/tile.xml" ||
    fail "the refusal does not name the recipe"
echo "content rules: ok"
