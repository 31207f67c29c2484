#!/usr/bin/env bash
# The web page: builds the WebAssembly module and the page into build/web/, and serves it on localhost.
# Usage: scripts/web.sh [build | serve | test | bench]   (default: serve, on http://localhost:8016/)
#   build   installs emscripten when missing, builds the module, copies the page into build/web/
#   test    builds, then runs the module's tests under Node and the page's tests in headless Chromium
#           (needs the command-line tool in build/default/bin: scripts/setup.sh builds it)
#   bench   builds, then times the page in headless Chromium (a change to the drawn preview) and sizes it
set -euo pipefail
cd "$(dirname "$0")/.."
command="${1:-serve}"
port="${SKIMPLANE_WEB_PORT:-8016}"

# Debian's emscripten runs its optimizer under Node with Debian's JavaScript packages (acorn). Node and
# npm come from Debian's packages unless the machine already has them.
export NODE_PATH=/usr/share/nodejs
scripts/install-packages.sh emscripten node-acorn
command -v node >/dev/null || scripts/install-packages.sh nodejs

build() {
  cmake --preset web >/dev/null
  cmake --build --preset web -j"$(nproc)"
  rm -rf build/web
  mkdir -p build/web
  cp build/web-cmake/out/skimplane-core.js build/web/
  cp web/index.html web/style.css web/app.js web/lang.js web/skimplane-api.js web/skimplane-worker.js web/skimplane.mjs build/web/
  mkdir -p build/web/images
  cp resources/images/{face,cutter,overlap,spiral,along-x,along-y,about,icon}.png build/web/images/
  echo "Built build/web/ ($(find build/web -type f -printf "%s\n" | awk "{ s += \$1 } END { print s }") bytes)."
}

case "$command" in
  build)
    build
    ;;
  test)
    build
    scripts/install-packages.sh chromium
    command -v npm >/dev/null || scripts/install-packages.sh npm
    # The browser driver comes from npm; no lock file is kept (see web/.npmrc).
    (cd web && npm install --no-package-lock --no-audit --no-fund --loglevel=error)
    node --test web/test/*.test.mjs
    ;;
  bench)
    build
    (cd web && npm install --no-package-lock --no-audit --no-fund --loglevel=error)
    node web/bench/page-bench.mjs "${@:2}"
    ;;
  serve)
    build
    echo "Serving http://localhost:$port/ (Ctrl-C ends)"
    cd build/web && exec python3 -m http.server --bind 127.0.0.1 "$port"
    ;;
  *)
    echo "usage: scripts/web.sh [build | serve | test | bench]" >&2
    exit 2
    ;;
esac
