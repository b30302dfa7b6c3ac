#!/usr/bin/env bash
# install-branded-plugins.sh ZSP_BRAND FOLDER VST3_BUNDLE VST2_LIBRARY LV2_BUNDLE
#
# Installs the built plugins into FOLDER/vst3, FOLDER/vst and FOLDER/lv2, as a
# user's plugin folders hold them, and puts a branded copy of each beside it,
# as a publisher ships it.
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: $0 ZSP_BRAND FOLDER VST3_BUNDLE VST2_LIBRARY LV2_BUNDLE" >&2; exit 64; }
brand=$1 folder=$2 vst3=$3 vst2=$4 lv2=$5
rm -rf "$folder"
mkdir -p "$folder/vst3" "$folder/vst" "$folder/lv2"
cp -a "$vst3" "$folder/vst3/"
cp -a "$vst2" "$folder/vst/"
# The VST 2 library's instruments lie beside it, not inside a bundle.
library="${vst2%.so}.instruments"
[ ! -d "$library" ] || cp -a "$library" "$folder/vst/"
cp -a "$lv2" "$folder/lv2/"
"$brand" --product 'Acme Konzertsflügel "Grand" Edition No1' --vendor 'Acme Audio Instruments GmbH' --id AcGP --instruments \
    "$folder/vst3/$(basename "$vst3")" "$folder/vst/$(basename "$vst2")" "$folder/lv2/$(basename "$lv2")"
