#!/bin/sh
# Runs a command against Tavlo's test sound cards, so the program, its
# companion and amixer can be tried without sound hardware:
#
#   tests/platform/alsa/with-test-card.sh BUILD_DIR [ac97|hda|mixsw] -- COMMAND [ARG...]
#
# e.g.  tests/platform/alsa/with-test-card.sh build -- build/tavlo-mixerctl dump 0
#       tests/platform/alsa/with-test-card.sh build -- amixer -D tavlo_ac97 sset Master 50%
#
# It sets ALSA_CONFIG_PATH to BUILD_DIR/tests/platform/alsa/test-cards.conf
# (which names the cards tavlo_ac97, tavlo_hda and tavlo_mixsw) and, unless
# already set, TAVLO_MIXER=alsa:tavlo_<card>. The cards keep their values in
# $TAVLO_TEST_CARD_DIR (default BUILD_DIR/tests/platform/alsa/cards), shared
# by every program using them; delete a card's .state file to reset it.
set -e
if [ $# -lt 3 ]; then
    sed -n '2,13p' "$0" >&2
    exit 2
fi
build=$1
shift
card=ac97
if [ "$1" != "--" ]; then
    card=$1
    shift
fi
[ "$1" = "--" ] && shift
conf=$(cd "$build" && pwd)/tests/platform/alsa/test-cards.conf
if [ ! -f "$conf" ]; then
    echo "$conf is missing: configure and build $build first" >&2
    exit 1
fi
ALSA_CONFIG_PATH=$conf
TAVLO_MIXER=${TAVLO_MIXER:-alsa:tavlo_$card}
export ALSA_CONFIG_PATH TAVLO_MIXER
exec "$@"
