#!/usr/bin/env bash
# Regenerates the pictures in docs/ and the icon in packaging/: each drawn by the program
# itself with the command line the README shows beside it. The step-by-step walk is put
# together as an animation, and the icon cut from a frame, with ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh pictures
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ray-box-collision

# Every picture on one virtual display with room for the window at (500, 500).
xvfb-run -a -s "-screen 0 1280x1024x24" bash -s <<'PICTURES'
set -euo pipefail
while read -r name options; do
  # shellcheck disable=SC2086 # the options are words on purpose
  build/ray-box-collision $options --snapshot "docs/$name.png"
done <<'SCENES'
hit
miss --dir -0.5 1
inside --start 10 20
crossed --box 15 10 5 25 --start 0 12 --dir 1 0
teach-hit --explain
teach-inside --explain --start 10 20
teach-tie --explain --start 0 5 --dir 1 1
teach-crossed --explain --box 15 10 5 25 --start 0 12 --dir 1 0
teach-behind --explain --start 20 28 --dir 1 1
teach-zero --explain --start 2 5 --dir 0 0
teach-beside --explain --start 2 3.5 --dir 1 0.2
teach-normalised --explain --dir 2 1
teach-far --explain --start 0 0 --dir 1e-30 1 --box 1e30 -1 3e38 1
teach-check-y --explain --start 0 22 --dir 1 1
teach-on-bound --explain --start 5 5 --dir 1 1
teach-framed --explain --frame
teach-slab --explain --method slab
teach-slab-face --explain --method slab --start 5 12 --dir 0 1
teach-slab-boundary --explain --method slab --start 5 12 --dir 1 0
line-slab-miss --explain --method slab --dir -0.5 1
line-one-point --explain --method slab --scene graze-edge
line-3d --explain --method exact --ray 0,12,-5,1,0.25,1,5,10,-2,15,25,3
predict --scene face-in --predict
space-hit --view 3d --explain --ray 0,12,-5,1,0.25,1,5,10,-2,15,25,3
space-slab-miss --view 3d --explain --method slab --ray 0,30,-5,1,0.25,1,5,10,-2,15,25,3
space-corpus --view 3d --explain --method slab --ray 5,10,0.5,1,1,1,5,10,-2,15,25,3 --turn 50 25
SCENES
for step in 1 2 3 4 5 6 7; do
  build/ray-box-collision --explain --step "$step" --snapshot "build/teach-step-$step.png"
done
build/ray-box-collision --start 0.5 13 --dir 1 -0.3 --snapshot build/icon-frame.png
PICTURES
# Two seconds a step, the last one longer before the walk starts again.
convert -delay 200 build/teach-step-[1-6].png -delay 400 build/teach-step-7.png -loop 0 \
  -layers Optimize docs/teach-walk.gif
convert build/icon-frame.png -crop 250x250+0+75 +repage -resize 128x128 \
  -define png:exclude-chunks=date,time \
  packaging/ray-box-collision.png

# The web edition as the headless browser shows it, for the README.
scripts/web.sh >/dev/null
[ -d tests/web/node_modules ] || (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node --input-type=module <<'WEB'
import { pathToFileURL } from 'node:url';
const { chromium } = await import(`${process.cwd()}/tests/web/node_modules/playwright-core/index.mjs`);
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking'] });
// A laptop's screen with a mouse, and a phone's, touch and twice the pixels.
for (const [name, device] of [['web', { viewport: { width: 1366, height: 768 } }],
  ['web-phone', { viewport: { width: 375, height: 667 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true }]]) {
  const page = await browser.newPage(device);
  await page.goto(pathToFileURL('build-web/ray-box-collision.html').href + '?explain&start=2,3.5&dir=1,0.2');
  await page.waitForFunction(() => window.Module?.frames > 0);
  await page.getByRole('button', { name: 'help' }).click();
  await page.getByRole('button', { name: 'next step' }).click();
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: `docs/${name}.png`, scale: 'css' });
  // A scene to predict, after the pick.
  await page.goto(pathToFileURL('build-web/ray-box-collision.html').href + '?scene=face-along&predict');
  await page.waitForFunction(() => window.Module?.frames > 0);
  await page.getByRole('button', { name: 'it hits' }).click();
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: `docs/${name}-predicted.png`, scale: 'css' });
}
await browser.close();
WEB
