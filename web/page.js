// SPDX-License-Identifier: MIT
// Copyright 2026 the Vorbix authors: the MIT licence, LICENSE.txt beside this file.
// The page: controls that send the document's verbs to the worker, and what comes back shown.
import { Converter } from './converter.js';
import { Viewer } from './viewer.js';

const $ = (id) => document.getElementById(id);
const converter = new Converter('worker.js', window.converterWorker);
const resultFigure = $('result');

// In the order of the document's sliders.
const SLIDERS = [
  { id: 'brightness', caption: 'Brightness' },
  { id: 'gamma', caption: 'Gamma' },
  { id: 'color', caption: 'Color' },
  { id: 'contrast', caption: 'Contrast' },
];
const SLIDER_RANGE = { min: 0, max: 100 };
const TYPING_PAUSE_MS = 350; // a typed number converts once the typing pauses
const PAUSE_BEFORE_EXTRAS_MS = 150;
const MODE_NAMES = { 16: 'Graphics 16', 4: 'Graphics 4', 2: 'Graphics 2' };

const state = {
  ready: false,
  methods: [],
  tvcColours: [],
  pickedColour: 0,
  result: null,
  generation: 0, // counts the requests that convert; a later answer makes an earlier one stale
  picture: null, // {file, shrink}: what a fresh worker reopens after a cancel
  restoreText: '', // the settings a fresh worker replays after a cancel
  shrinkOffer: null,
  workOwner: null,
};

const viewer = new Viewer({
  stage: $('stage'),
  box: $('canvas-box'),
  divider: $('divider'),
  zoomSelect: $('zoom'),
});

const cssColour = (value) => `rgb(${value & 0xff}, ${(value >> 8) & 0xff}, ${(value >> 16) & 0xff})`;
const methodCaption = (number) => state.methods.find((m) => m.number === number)?.caption ?? '';

function showStatus(text, isError = false) {
  $('status').textContent = text;
  $('status').classList.toggle('error', isError);
}

function setLink(id, bytes, type) {
  const link = $(id);
  if (link.href) URL.revokeObjectURL(link.href);
  if (bytes) link.href = URL.createObjectURL(new Blob([bytes], { type }));
  else link.removeAttribute('href');
}

function drawRgba(canvas, rgba, width, height) {
  canvas.width = width;
  canvas.height = height;
  canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba.buffer), width, height), 0, 0);
}

// --- long work: a bar, the words, and a cancel

// One piece of work shows at a time; whoever started it hides it.
function showWork(owner, text, fraction = null) {
  state.workOwner = owner;
  $('work').hidden = false;
  $('work-text').textContent = text;
  if (fraction === null) $('work-progress').removeAttribute('value');
  else $('work-progress').value = fraction;
}

function hideWork(owner) {
  if (state.workOwner === owner) $('work').hidden = true;
}

// Runs a request that may take seconds; Cancel stops it and brings the document back to where
// it was before.
async function longConvert(kind, args, describe) {
  // One at a time: a second click would only queue the same work again.
  const starters = [$('best-colours'), $('refine')];
  if (starters.some((button) => button.disabled)) return { superseded: true };
  starters.forEach((button) => { button.disabled = true; });
  try {
    return await runLong(kind, args, describe);
  } finally {
    starters.forEach((button) => { button.disabled = false; });
  }
}

async function runLong(kind, args, describe) {
  const saved = await converter.request('saveSettings');
  state.restoreText = saved.text;
  $('cancel').onclick = () => converter.cancel(kind);
  showWork(kind, describe(null));
  const reply = await convert(kind, args, { onProgress: (progress) => showWork(kind, describe(progress), progress.fraction ?? null) });
  hideWork(kind);
  return reply;
}

converter.restore = () => (state.picture ? [['load', state.picture], ['loadSettings', { text: state.restoreText }]] : []);

// --- the controls, built from what the converter offers

function buildMethods() {
  const select = $('method');
  for (const { number, caption } of state.methods) select.add(new Option(`${number} ${caption}`, number));
}

function buildSliders() {
  const fieldset = $('sliders');
  const note = $('unset');
  SLIDERS.forEach(({ id, caption }, index) => {
    const row = document.createElement('div');
    row.className = 'slider';
    row.innerHTML = `<label for="${id}-range">${caption}</label>
      <input type="range" id="${id}-range" min="${SLIDER_RANGE.min}" max="${SLIDER_RANGE.max}" value="50">
      <input type="number" id="${id}" min="${SLIDER_RANGE.min}" max="${SLIDER_RANGE.max}" value="50"
             aria-label="${caption} (${SLIDER_RANGE.min} to ${SLIDER_RANGE.max})">`;
    fieldset.insertBefore(row, note);
    const range = row.querySelector('input[type="range"]');
    const number = row.querySelector('input[type="number"]');
    let typing = null;
    const move = (value) => {
      range.value = number.value = value;
      convert('slider', { slider: index, value }, { replaces: `slider-${index}` });
    };
    range.addEventListener('input', () => move(range.valueAsNumber));
    number.addEventListener('input', () => {
      clearTimeout(typing);
      const value = number.valueAsNumber;
      const valid = Number.isInteger(value) && value >= SLIDER_RANGE.min && value <= SLIDER_RANGE.max;
      number.setAttribute('aria-invalid', String(!valid && number.value !== ''));
      if (!valid) {
        if (number.value !== '') showStatus(`${caption} goes from ${SLIDER_RANGE.min} to ${SLIDER_RANGE.max}; ${number.value} is outside that`, true);
        return;
      }
      typing = setTimeout(() => move(value), TYPING_PAUSE_MS);
    });
    // Leaving a box with a value outside the range puts back the slider's own.
    number.addEventListener('change', () => {
      if (number.getAttribute('aria-invalid') !== 'true' && number.value !== '') return;
      number.value = range.value;
      number.setAttribute('aria-invalid', 'false');
    });
  });
  const set = document.createElement('button');
  set.type = 'button';
  set.id = 'set';
  set.textContent = 'Set';
  set.title = 'The adjusted picture becomes the loaded one, so the next slider starts from it';
  set.addEventListener('click', async () => {
    const reply = await convert('set');
    if (!reply.error && !reply.superseded) showStatus('The adjusted picture is now the loaded picture');
  });
  fieldset.insertBefore(set, note);
}

function buildTvcColours() {
  const row = $('tvc-colours');
  state.tvcColours.forEach((colour, index) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'colour';
    button.style.background = cssColour(colour);
    button.title = `TVC colour ${index}`;
    button.setAttribute('role', 'radio');
    button.setAttribute('aria-checked', String(index === 0));
    button.addEventListener('click', () => {
      state.pickedColour = index;
      row.querySelectorAll('.colour').forEach((other, k) => {
        other.classList.toggle('picked', k === index);
        other.setAttribute('aria-checked', String(k === index));
      });
    });
    row.append(button);
  });
  row.firstChild.classList.add('picked');
}

// The chart is one stop for Tab; the arrow keys move inside it.
function buildMixes() {
  const chart = $('mixes');
  const buttons = [];
  const columns = () => buttons.filter((b) => b.offsetTop === buttons[0].offsetTop).length || 1;
  const focus = (k) => {
    const target = buttons[Math.max(0, Math.min(buttons.length - 1, k))];
    buttons.forEach((b) => { b.tabIndex = b === target ? 0 : -1; });
    target.focus();
  };
  const swap = (k) => convert('swapMix', { mix: k });
  for (let k = 0; k < 120; ++k) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'mix';
    button.tabIndex = k === 0 ? 0 : -1;
    button.addEventListener('click', () => ($('swap-mode').checked ? swap(k) : convert('toggleMix', { mix: k })));
    button.addEventListener('contextmenu', (event) => {
      event.preventDefault();
      swap(k);
    });
    button.addEventListener('keydown', (event) => {
      const moves = { ArrowLeft: -1, ArrowRight: 1, ArrowUp: -columns(), ArrowDown: columns(), Home: -k, End: 119 - k };
      if (event.key in moves) {
        event.preventDefault();
        focus(k + moves[event.key]);
      } else if (event.key === 's' || event.key === 'S') {
        swap(k);
      }
    });
    buttons.push(button);
    chart.append(button);
  }
  $('all-on').addEventListener('click', () => convert('allMixes', { on: true }));
  $('all-off').addEventListener('click', () => convert('allMixes', { on: false }));
}

// --- showing the document

function showSwatches(result) {
  const row = $('swatches');
  row.replaceChildren();
  const { mode, swatches: colours } = result;
  $('swatch-set').disabled = colours.length === 0 || !state.ready;
  colours.forEach((colour, index) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'colour swatch';
    button.style.background = cssColour(colour);
    button.title = `Swatch ${index + 1}: click to give it the picked colour`;
    button.setAttribute('aria-label', `Swatch ${index + 1}, TVC colour ${state.tvcColours.indexOf(colour)}`);
    button.addEventListener('click', () => {
      const chosen = [...colours];
      chosen[index] = state.tvcColours[state.pickedColour];
      convert('swatches', { mode, colours: chosen });
    });
    row.append(button);
  });
}

function showMixes(result) {
  const buttons = $('mixes').children;
  result.mixes.forEach((mix, k) => {
    const button = buttons[k];
    const first = cssColour(mix.first);
    const second = cssColour(mix.second);
    button.style.backgroundImage = `conic-gradient(${first} 25%, ${second} 0 50%, ${first} 0 75%, ${second} 0)`;
    button.classList.toggle('off', mix.off);
    button.classList.toggle('swapped', mix.swapped);
    button.setAttribute('aria-pressed', String(!mix.off));
    button.setAttribute('aria-label',
      `Mix ${k + 1}: TVC colours ${state.tvcColours.indexOf(mix.first)} and ${state.tvcColours.indexOf(mix.second)}`
      + `${mix.swapped ? ', swapped' : ''}`);
  });
}

function showUnset(result) {
  const slider = result.unsetSlider;
  $('set').classList.toggle('pending', slider !== null);
  $('unset').hidden = slider === null;
  if (slider !== null) {
    $('unset').textContent = `${SLIDERS[slider].caption} at ${result.sliders[slider]} is shown but not Set: `
      + 'moving another slider starts again from the loaded picture without it.';
  }
}

function showResult(result) {
  state.result = result;
  drawRgba($('preview'), result.preview, 512, 480);
  drawRgba($('source-view'), result.sourceView, 512, 480);
  $('mode').value = String(result.mode);
  $('method').value = String(result.method);
  $('resize').checked = result.resize;
  $('keep-shape').value = result.keepShape;
  SLIDERS.forEach(({ id }, index) => {
    $(id).value = $(`${id}-range`).value = result.sliders[index];
    $(id).setAttribute('aria-invalid', 'false');
  });
  showSwatches(result);
  showMixes(result);
  showUnset(result);
  markCandidate(result);
  if (!result.hasPicture) return;
  $('start').hidden = true;
  $('colours-used').textContent = `Colors Used: ${result.colours}`;
  $('milliseconds').textContent = `${result.milliseconds} ms`;
  $('loaded-colours').textContent = `photo: ${result.loadedColours} colours`;
  $('likeness').textContent = '';
  $('preview').setAttribute('aria-label',
    `What the TVC shows: ${MODE_NAMES[result.mode]}, method ${result.method} ${methodCaption(result.method)}, ${result.colours} colours`);
  resultFigure.dataset.colours = result.colours;
  delete resultFigure.dataset.deltaE;
  setLink('download-tim', result.tim, 'application/octet-stream');
  setLink('download-bin', result.bin, 'application/octet-stream');
  setLink('download-bmp', result.bmp, 'image/bmp');
  setLink('download-cas', null);
  setLink('download-wav', null);
}

async function showExtras(generation) {
  const stale = (reply) => reply.error || reply.superseded || generation !== state.generation;
  const programs = await converter.request('programs', {}, { background: true });
  if (stale(programs)) return;
  setLink('download-cas', programs.cas.bytes, 'application/octet-stream');
  setLink('download-wav', programs.wav.bytes, 'audio/wav');
  $('load-time').textContent = `Program: ${programs.cas.loadTime}` + (programs.cas.warning ? `. ${programs.cas.warning}` : '');
  const score = await converter.request('likeness', {}, { background: true });
  if (stale(score)) return;
  $('likeness').textContent = `Likeness ${score.likeness.toFixed(1)}`;
  resultFigure.dataset.deltaE = score.likeness.toFixed(2);
  if ($('compare').open) fillGrid(generation);
}

// Every request that changes the document goes through here: the figure says "busy" until the
// newest one has been answered and shown. Background work for an older result is dropped.
async function convert(kind, args = {}, options = {}) {
  const generation = ++state.generation;
  converter.dropBackground();
  $('shrink-offer').hidden = true;
  resultFigure.dataset.state = 'busy';
  const reply = await converter.request(kind, args, options);
  if (reply.superseded) return reply;
  if (reply.error) showStatus(reply.error, true);
  else if (reply.cancelled) showStatus('Cancelled: the picture is as it was before');
  else if ($('status').classList.contains('error')) showStatus('');
  if (reply.result) showResult(reply.result);
  if (generation === state.generation) {
    resultFigure.dataset.state = state.result?.hasPicture ? 'done' : 'empty';
    // The score and the program files cost more than a conversion: they wait until the user
    // pauses, so that a slider drag is never held up behind them.
    if (state.result?.hasPicture) setTimeout(() => generation === state.generation && showExtras(generation), PAUSE_BEFORE_EXTRAS_MS);
  }
  return reply;
}

// --- compare: one tile at a time, each shown as it comes; an edit starts them over

async function fillGrid(generation) {
  const grid = $('compare-grid');
  if (grid.dataset.generation === String(generation)) return;
  grid.dataset.generation = String(generation);
  grid.replaceChildren();
  const tiles = [];
  for (const [index, { number }] of state.methods.entries()) {
    showWork('compare', `Compare methods: ${index} of ${state.methods.length}`, index / state.methods.length);
    $('cancel').onclick = () => converter.dropBackground();
    const reply = await converter.request('tile', { method: number }, { background: true });
    if (reply.superseded || reply.error || generation !== state.generation) break;
    tiles.push(reply.tile);
    grid.append(tileFigure(reply.tile));
  }
  hideWork('compare');
  if (tiles.length < state.methods.length) {
    delete grid.dataset.generation; // left unfinished: the next look starts it again
    return;
  }
  const best = Math.min(...tiles.map((tile) => tile.likeness));
  [...grid.children].forEach((figure, i) => figure.classList.toggle('best', tiles[i].likeness === best));
}

function tileFigure(tile) {
  const figure = document.createElement('figure');
  const canvas = document.createElement('canvas');
  drawRgba(canvas, tile.preview, 512, 480);
  const caption = document.createElement('figcaption');
  caption.textContent = `${tile.method} ${methodCaption(tile.method)}: ${tile.colours} colours, ${tile.milliseconds} ms, likeness ${tile.likeness.toFixed(1)}`;
  canvas.setAttribute('role', 'img');
  canvas.setAttribute('aria-label', `Method ${tile.method}`);
  figure.tabIndex = 0;
  figure.setAttribute('role', 'button');
  figure.classList.toggle('chosen', tile.method === state.result.method);
  figure.append(canvas, caption);
  const choose = () => convert('method', { method: tile.method });
  figure.addEventListener('click', choose);
  figure.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      choose();
    }
  });
  return figure;
}

// --- pictures and settings files

async function openPicture(file, shrink = false) {
  if (!file) return;
  showStatus(state.ready ? `Opening ${file.name}…` : `${file.name} opens as soon as the converter has loaded…`);
  const reply = await convert('load', { file, shrink });
  $('picture').value = ''; // so that choosing the same file again opens it again
  if (reply.superseded) return;
  if (reply.error) {
    if (reply.shrinkTo) {
      state.shrinkOffer = file;
      $('shrink').textContent = `Shrink it to ${reply.shrinkTo.width} × ${reply.shrinkTo.height} and open`;
      $('shrink-offer').hidden = false;
    }
    return;
  }
  state.picture = { file, shrink };
  $('candidates').hidden = true;
  showStatus(`${file.name}: converted` + (shrink ? ' (shrunk: its files differ from those vorbix-cli makes of it)' : ''));
  $('source-name').textContent = file.name;
  $('source-view').setAttribute('aria-label', `The photo, ${file.name}`);
}

async function saveSettings() {
  if (!state.result?.hasPicture) return showStatus('Open a picture first', true);
  const reply = await converter.request('saveSettings');
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([reply.text], { type: 'application/json' }));
  link.download = `${state.picture.file.name.replace(/\.[^.]*$/, '') || 'picture'}.vorbix.json`;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

async function loadSettings(file) {
  if (!file) return;
  const text = await file.text();
  $('settings-file').value = ''; // so that the same file can be chosen again
  const reply = await convert('loadSettings', { text });
  if (reply.superseded) return;
  if (reply.error) return showStatus(`${file.name}: ${reply.error}`, true);
  const differences = reply.differences;
  showStatus(differences.length ? `${file.name}: replayed, but ${differences.join('; ')}` : `${file.name}: identical`,
    differences.length > 0);
}

async function bestColours() {
  const reply = await longConvert('bestColours', {}, () => 'Looking for the best colours…');
  if (reply.error || reply.cancelled || reply.superseded) return;
  showStatus('The best colours for this picture and method; below, the other sets it found');
  showCandidates(reply.candidates, reply.result.mode);
}

// The sets "Best colours" found, best first, each with its picture and score; a click takes one.
function showCandidates(candidates, mode) {
  const strip = $('candidates');
  strip.hidden = candidates.length === 0;
  strip.dataset.mode = mode;
  strip.replaceChildren(...candidates.map((candidate, index) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'candidate';
    button.dataset.swatches = candidate.swatches.join(',');
    const canvas = document.createElement('canvas');
    drawRgba(canvas, candidate.preview, 512, 480);
    const colours = document.createElement('span');
    colours.append(...candidate.swatches.map((colour) => {
      const chip = document.createElement('i');
      chip.style.background = cssColour(colour);
      return chip;
    }));
    button.append(canvas, colours, `${index === 0 ? 'best, ' : ''}score ${candidate.score.toFixed(2)}`);
    button.setAttribute('aria-label', `Set ${index + 1}: TVC colours `
      + `${candidate.swatches.map((c) => state.tvcColours.indexOf(c)).join(', ')}, score ${candidate.score.toFixed(2)}`);
    button.addEventListener('click', () => convert('swatches', { mode, colours: candidate.swatches }));
    return button;
  }));
  markCandidate(state.result);
}

function markCandidate(result) {
  const strip = $('candidates');
  if (strip.hidden) return;
  if (Number(strip.dataset.mode) !== result.mode) {
    strip.hidden = true;
    return;
  }
  const shown = result.swatches.join(',');
  for (const button of strip.children) button.classList.toggle('chosen', button.dataset.swatches === shown);
}

async function refine() {
  if (!state.result?.hasPicture) return showStatus('Open a picture first', true);
  const seconds = Number($('refine-seconds').value);
  const started = performance.now();
  const reply = await longConvert('refine', { seconds }, (progress) => {
    const elapsed = Math.round((performance.now() - started) / 1000);
    const score = progress?.before ? `: likeness ${progress.before.toFixed(2)} → ${progress.now.toFixed(2)}` : '';
    return `Refining, ${elapsed} of at most ${seconds} s${score}`;
  });
  if (reply.error || reply.cancelled || reply.superseded) return;
  const { before, after, converged } = reply.figures;
  showStatus(`Refined: likeness ${before.toFixed(2)} → ${after.toFixed(2)}`
    + (converged ? ', converged' : `, stopped after ${seconds} s before it converged`));
}


function wireControls() {
  $('mode').addEventListener('change', (event) => convert('mode', { mode: Number(event.target.value) }));
  $('method').addEventListener('change', (event) => convert('method', { method: Number(event.target.value) }));
  $('resize').addEventListener('change', (event) => convert('resize', { on: event.target.checked }));
  $('keep-shape').addEventListener('change', (event) => convert('keepShape', { shape: event.target.value }));
  $('best-colours').addEventListener('click', bestColours);
  $('refine').addEventListener('click', refine);
  $('save-settings').addEventListener('click', saveSettings);
  $('settings-file').addEventListener('change', (event) => loadSettings(event.target.files[0]));
  $('load-settings').addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      $('settings-file').click();
    }
  });
  $('compare').addEventListener('toggle', () => $('compare').open && state.result?.hasPicture && fillGrid(state.generation));
}

// The picture can come before the converter has loaded: it waits in the converter's queue.
function wirePictureSources() {
  $('picture').addEventListener('change', (event) => openPicture(event.target.files[0]));
  // On a slow connection the chooser can be used before this script has arrived.
  if ($('picture').files.length) openPicture($('picture').files[0]);
  $('shrink').addEventListener('click', () => openPicture(state.shrinkOffer, true));
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) document.body.classList.remove('dragging');
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    openPicture(event.dataTransfer.files[0]);
  });
  document.addEventListener('paste', (event) => {
    const file = event.clipboardData?.files[0];
    if (!file) return;
    event.preventDefault();
    openPicture(file);
  });
}

function wireViewer() {
  $('view').addEventListener('change', (event) => viewer.setView(event.target.value));
  $('zoom').addEventListener('change', (event) => viewer.setZoom(event.target.value === 'fit' ? 'fit' : Number(event.target.value)));
  $('tv-shape').addEventListener('change', (event) => viewer.setTvShape(event.target.checked));
}

async function start() {
  // First in the converter's queue, so that the controls are built before any picture's answer.
  const greeted = converter.request('hello');
  wirePictureSources();
  wireViewer();
  const hello = await greeted;
  state.methods = hello.methods;
  state.tvcColours = hello.tvcColours;
  buildMethods();
  buildSliders();
  buildTvcColours();
  buildMixes();
  wireControls();
  state.ready = true;
  document.querySelectorAll('.needs-converter').forEach((fieldset) => { fieldset.disabled = false; });
  if (!state.result) showResult(hello.result);
  if ($('status').textContent === 'Loading the converter…') showStatus('');
  document.body.dataset.ready = 'true';
  if ('serviceWorker' in navigator) navigator.serviceWorker.register('service-worker.js').catch(() => {});
}

start();
