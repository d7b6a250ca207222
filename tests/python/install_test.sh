#!/usr/bin/env bash
# Installs the package the way the README tells users to: pip into a fresh virtual environment,
# offline, with Debian's setuptools and pybind11; then imports it from there.
#   install_test.sh SOURCE_DIR PYTHON
set -euo pipefail
source_dir=$1
python=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of the package folder, so the build leaves nothing in the source tree.
mkdir "$work/python"
(cd "$source_dir/python" && tar cf - --exclude=build --exclude='*.egg-info' .) |
  (cd "$work/python" && tar xf -)
"$python" -m venv --system-site-packages "$work/venv"
CYRVERT_SOURCE_DIR="$source_dir" "$work/venv/bin/pip" install --no-build-isolation --no-index \
  --quiet "$work/python"
cd "$work"
"$work/venv/bin/python" - "$work/venv" <<'PY'
import os, sys
import cyrvert, cyrvert.dask
assert cyrvert.__file__.startswith(sys.argv[1]), cyrvert.__file__
package = os.path.dirname(cyrvert.__file__)
assert {"py.typed", "_cyrvert.pyi"} <= set(os.listdir(package)), os.listdir(package)
result = cyrvert.repair("РџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°? Р’СЃРµ С…РѕСЂРѕС€Рѕ, СЃРїР°СЃРёР±Рѕ.")
assert result.text == "Привет, как дела? Все хорошо, спасибо.", result
print("installed", cyrvert.__version__, "in", package)
PY
