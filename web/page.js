// The page: controls that send the document's verbs to the worker, and what comes back shown.
import { Converter } from './converter.js';

const $ = (id) => document.getElementById(id);
const converter = new Converter('worker.js');
const resultFigure = $('result');

// In the order of the document's sliders.
const SLIDERS = [
  { id: 'brightness', caption: 'Brightness' },
  { id: 'gamma', caption: 'Gamma' },
  { id: 'color', caption: 'Color' },
  { id: 'contrast', caption: 'Contrast' },
];

const state = {
  methods: [],
  tvcColours: [],
  pickedColour: 0,
  result: null,
  generation: 0, // counts the requests that convert; a later answer makes an earlier one stale
  gridGeneration: -1,
  pictureName: '',
};

const cssColour = (value) =>
  `rgb(${value & 0xff}, ${(value >> 8) & 0xff}, ${(value >> 16) & 0xff})`;

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

// --- the controls, built from what the converter offers

function buildMethods() {
  const select = $('method');
  for (const { number, caption } of state.methods) select.add(new Option(`${number} ${caption}`, number));
}

function buildSliders() {
  const fieldset = $('sliders');
  SLIDERS.forEach(({ id, caption }, index) => {
    const row = document.createElement('div');
    row.className = 'slider';
    row.innerHTML = `<label for="${id}-range">${caption}</label>
      <input type="range" id="${id}-range" min="0" max="100" value="50">
      <input type="number" id="${id}" min="0" max="100" value="50" aria-label="${caption}">`;
    fieldset.append(row);
    const range = row.querySelector('input[type="range"]');
    const number = row.querySelector('input[type="number"]');
    const move = (value) => {
      if (!Number.isInteger(value) || value < 0 || value > 100) return;
      range.value = number.value = value;
      convert('slider', { slider: index, value }, { replaces: `slider-${index}` });
    };
    range.addEventListener('input', () => move(range.valueAsNumber));
    number.addEventListener('input', () => move(number.valueAsNumber));
  });
  const set = document.createElement('button');
  set.type = 'button';
  set.id = 'set';
  set.textContent = 'Set';
  set.title = 'The adjusted picture becomes the loaded one, so the next slider starts from it';
  set.addEventListener('click', () => convert('set'));
  fieldset.append(set);
}

function buildTvcColours() {
  const row = $('tvc-colours');
  state.tvcColours.forEach((colour, index) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'colour';
    button.style.background = cssColour(colour);
    button.title = `TVC colour ${index}`;
    button.addEventListener('click', () => {
      state.pickedColour = index;
      row.querySelectorAll('.colour').forEach((other, k) => other.classList.toggle('picked', k === index));
    });
    row.append(button);
  });
  row.firstChild.classList.add('picked');
}

// --- showing the document

function showSwatches(result) {
  const row = $('swatches');
  row.replaceChildren();
  const mode = result.mode;
  const colours = mode === 4 ? result.swatches4 : mode === 2 ? result.swatches2 : [];
  $('swatch-set').disabled = colours.length === 0;
  colours.forEach((colour, index) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'colour swatch';
    button.style.background = cssColour(colour);
    button.title = `Swatch ${index + 1}: click to give it the picked colour`;
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
  });
}

function buildMixes() {
  const chart = $('mixes');
  for (let k = 0; k < 120; ++k) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'mix';
    button.title = `Mix ${k + 1}`;
    button.addEventListener('click', () => convert('toggleMix', { mix: k }));
    button.addEventListener('contextmenu', (event) => {
      event.preventDefault();
      convert('swapMix', { mix: k });
    });
    chart.append(button);
  }
  $('all-on').addEventListener('click', () => convert('allMixes', { on: true }));
  $('all-off').addEventListener('click', () => convert('allMixes', { on: false }));
}

function showResult(result) {
  state.result = result;
  drawRgba($('preview'), result.preview, 512, 480);
  drawRgba($('source-view'), result.sourceView, 512, 480);
  $('mode').value = String(result.mode);
  $('method').value = String(result.method);
  $('resize').checked = result.resize;
  SLIDERS.forEach(({ id }, index) => {
    $(id).value = $(`${id}-range`).value = result.sliders[index];
  });
  showSwatches(result);
  showMixes(result);
  if (!result.hasPicture) return;
  $('colours-used').textContent = `Colors Used: ${result.colours}`;
  $('milliseconds').textContent = `${result.milliseconds} ms`;
  $('loaded-colours').textContent = `Colors Used: ${result.loadedColours}`;
  $('likeness').textContent = '';
  resultFigure.dataset.colours = result.colours;
  delete resultFigure.dataset.deltaE;
  setLink('download-tim', result.tim, 'application/octet-stream');
  setLink('download-bin', result.bin, 'application/octet-stream');
  setLink('download-bmp', result.bmp, 'image/bmp');
  setLink('download-cas', null);
  setLink('download-wav', null);
}

async function showExtras(generation) {
  const reply = await converter.request('extras');
  if (reply.error || generation !== state.generation) return;
  $('likeness').textContent = `ΔE ${reply.likeness.toFixed(1)}`;
  resultFigure.dataset.deltaE = reply.likeness.toFixed(2);
  setLink('download-cas', reply.cas.bytes, 'application/octet-stream');
  setLink('download-wav', reply.wav.bytes, 'audio/wav');
  $('load-time').textContent = `Program: ${reply.cas.loadTime}` + (reply.cas.warning ? `. ${reply.cas.warning}` : '');
  if ($('compare').open) refreshGrid();
}

// Every request that changes the document goes through here: the figure says "busy" until the
// last one waiting has been answered and shown.
async function convert(kind, args = {}, options = {}) {
  const generation = ++state.generation;
  resultFigure.dataset.state = 'busy';
  const reply = await converter.request(kind, args, options);
  if (reply.superseded) return reply;
  if (reply.error) showStatus(reply.error, true);
  if (reply.result) showResult(reply.result);
  if (!converter.busy() && generation === state.generation) {
    resultFigure.dataset.state = state.result?.hasPicture ? 'done' : 'empty';
    // The score and the program files cost more than a conversion: they wait until the user
    // pauses, so that a slider drag is never held up behind them.
    if (state.result?.hasPicture) setTimeout(() => generation === state.generation && showExtras(generation), 150);
  }
  return reply;
}

// --- compare grid

async function refreshGrid() {
  if (state.gridGeneration === state.generation || !state.result?.hasPicture) return;
  const generation = state.generation;
  const reply = await converter.request('everyMethod');
  if (reply.error || generation !== state.generation) return;
  state.gridGeneration = generation;
  const best = Math.min(...reply.tiles.map((tile) => tile.likeness));
  const grid = $('compare-grid');
  grid.replaceChildren(
    ...reply.tiles.map((tile) => {
      const figure = document.createElement('figure');
      const canvas = document.createElement('canvas');
      drawRgba(canvas, tile.preview, 512, 480);
      const caption = document.createElement('figcaption');
      const method = state.methods.find((m) => m.number === tile.method);
      caption.textContent = `${tile.method} ${method?.caption ?? ''}: ${tile.colours} colours, ${tile.milliseconds} ms, ΔE ${tile.likeness.toFixed(1)}`;
      figure.classList.toggle('best', tile.likeness === best);
      figure.classList.toggle('chosen', tile.method === state.result.method);
      figure.append(canvas, caption);
      figure.addEventListener('click', () => convert('method', { method: tile.method }));
      return figure;
    }),
  );
}

// --- pictures and settings files

async function openPicture(file) {
  if (!file) return;
  showStatus(`Opening ${file.name}…`);
  const reply = await convert('load', { file });
  if (reply.error) {
    $('picture').value = ''; // the chooser should not name the file that was refused
    return;
  }
  showStatus(`${file.name}: converted`);
  state.pictureName = file.name;
  $('source-name').textContent = file.name;
}

async function saveSettings() {
  if (!state.result?.hasPicture) return showStatus('Open a picture first', true);
  const reply = await converter.request('saveSettings');
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([reply.text], { type: 'application/json' }));
  link.download = `${state.pictureName.replace(/\.[^.]*$/, '') || 'picture'}.vorbix.json`;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

async function loadSettings(file) {
  if (!file) return;
  const reply = await convert('loadSettings', { text: await file.text() });
  if (reply.error) return showStatus(`${file.name}: ${reply.error}`, true);
  showStatus(reply.differences.length ? `${file.name}: ${reply.differences.join('; ')}` : `${file.name}: identical`,
    reply.differences.length > 0);
}

function wireControls() {
  $('picture').addEventListener('change', (event) => openPicture(event.target.files[0]));
  $('mode').addEventListener('change', (event) => convert('mode', { mode: Number(event.target.value) }));
  $('method').addEventListener('change', (event) => convert('method', { method: Number(event.target.value) }));
  $('resize').addEventListener('change', (event) => convert('resize', { on: event.target.checked }));
  $('best-colours').addEventListener('click', () => convert('bestColours'));
  $('save-settings').addEventListener('click', saveSettings);
  $('settings-file').addEventListener('change', (event) => loadSettings(event.target.files[0]));
  $('compare').addEventListener('toggle', () => $('compare').open && refreshGrid());
  const zone = $('drop-zone');
  zone.addEventListener('dragover', (event) => {
    event.preventDefault();
    zone.classList.add('dragging');
  });
  zone.addEventListener('dragleave', () => zone.classList.remove('dragging'));
  zone.addEventListener('drop', (event) => {
    event.preventDefault();
    zone.classList.remove('dragging');
    openPicture(event.dataTransfer.files[0]);
  });
}

async function start() {
  const hello = await converter.request('hello');
  state.methods = hello.methods;
  state.tvcColours = hello.tvcColours;
  buildMethods();
  buildSliders();
  buildTvcColours();
  buildMixes();
  wireControls();
  showResult(hello.result);
  document.body.dataset.ready = 'true';
}

start();
