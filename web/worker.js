// SPDX-License-Identifier: MIT
// Copyright 2026 the Vorbix authors: the MIT licence, LICENSE.txt beside this file.
// The converter's own thread: decodes pictures with the browser's decoders and runs the document
// (WebAssembly) one request at a time, so the page never waits on a conversion.
import createVorbix from './vorbix.js';
import { identifyPicture } from './picture_file.js';

// The page sends the WebAssembly's bytes (or null: fetch them here) as its first message.
let giveWasm;
const wasm = new Promise((resolve) => { giveWasm = resolve; });
const ready = wasm.then((bytes) => createVorbix(bytes ? { wasmBinary: bytes } : {}))
  .then((vorbix) => ({ vorbix, document: new vorbix.Document() }));

// The pixels as stored: no colour management, no premultiplied alpha, the camera's orientation
// applied. A PNG or BMP then gives the bytes the desktop's decoders give.
// Shrunk, when asked, to at most maxPixels (a different picture from the command line's, then).
async function decodePicture(file, shrinkTo = null) {
  const bitmap = await createImageBitmap(file, {
    imageOrientation: 'from-image',
    colorSpaceConversion: 'none',
    premultiplyAlpha: 'none',
    ...(shrinkTo && { resizeWidth: shrinkTo.width, resizeHeight: shrinkTo.height, resizeQuality: 'high' }),
  });
  const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
  const context = canvas.getContext('2d', { willReadFrequently: true });
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  return context.getImageData(0, 0, canvas.width, canvas.height);
}

function resultMessage(document) {
  const result = document.result();
  return { message: { result }, transfer: [result.preview.buffer, result.sourceView.buffer, result.tim.buffer, result.bin.buffer, result.bmp.buffer] };
}

// Pictures up to this many times the page's limit may be shrunk to fit it: the browser still
// decodes them whole, at 4 bytes a pixel.
const SHRINKABLE = 4;

function shrunkSize({ width, height }, maxPixels) {
  const scale = Math.sqrt(maxPixels / (width * height));
  return { width: Math.max(1, Math.floor(width * scale)), height: Math.max(1, Math.floor(height * scale)) };
}

const megapixels = ({ width, height }) => `${width} × ${height} pixels (${Math.round((width * height) / 1e6)} megapixels)`;

const requests = {
  async load(document, { file, shrink = false }, vorbix) {
    const refuse = (text, more = {}) => ({ message: { error: `${file.name}: ${text}`, ...more } });
    const picture = await identifyPicture(file);
    if (picture.problem) return refuse(picture.problem);
    const tooLarge = picture.width * picture.height > vorbix.maxPixels;
    if (tooLarge && !shrink) {
      const limit = `more than the page's ${vorbix.maxPixels / 1e6} megapixels (vorbix-cli converts it)`;
      if (picture.width * picture.height > SHRINKABLE * vorbix.maxPixels) return refuse(`${megapixels(picture)}, ${limit}`);
      return refuse(`${megapixels(picture)}, ${limit}`, { shrinkTo: shrunkSize(picture, vorbix.maxPixels) });
    }
    let pixels;
    try {
      pixels = await decodePicture(file, tooLarge ? shrunkSize(picture, vorbix.maxPixels) : null);
    } catch {
      return refuse(`a ${picture.kind} file that is damaged or cut short`);
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    const error = document.load(pixels.width, pixels.height, pixels.data, bytes, file.name);
    return error === null ? resultMessage(document) : refuse(error);
  },
  mode: (document, { mode }) => (document.chooseMode(mode), resultMessage(document)),
  method: (document, { method }) => (document.chooseMethod(method), resultMessage(document)),
  resize: (document, { on }) => (document.setResize(on), resultMessage(document)),
  keepShape: (document, { shape }) => (document.setKeepShape(shape), resultMessage(document)),
  swatches: (document, { mode, colours }) => (document.chooseSwatches(mode, colours), resultMessage(document)),
  bestColours(document) {
    const candidates = document.chooseBestSwatches();
    const { message, transfer } = resultMessage(document);
    return { message: { ...message, candidates }, transfer: [...transfer, ...candidates.map((c) => c.preview.buffer)] };
  },
  slider: (document, { slider, value }) => (document.moveSlider(slider, value), resultMessage(document)),
  set: (document) => (document.commit(), resultMessage(document)),
  toggleMix: (document, { mix }) => (document.toggleMix(mix), resultMessage(document)),
  swapMix: (document, { mix }) => (document.swapMix(mix), resultMessage(document)),
  allMixes: (document, { on }) => (document.switchAllMixes(on), resultMessage(document)),
  // What follows a conversion once nothing else waits, in two parts, so that an edit waits for
  // one at most: the program files, then the score.
  programs(document) {
    const cas = document.program(false);
    const wav = document.program(true);
    return { message: { cas, wav }, transfer: [cas.bytes.buffer, wav.bytes.buffer] };
  },
  likeness: (document) => ({ message: { likeness: document.likeness() } }),
  tile(document, { method }) {
    const tile = document.tile(method);
    return { message: { tile }, transfer: tile ? [tile.preview.buffer] : [] };
  },
  refine(document, { seconds }, vorbix, tell) {
    const figures = document.refine(seconds, (progress) => tell(progress));
    const { message, transfer } = resultMessage(document);
    return { message: { ...message, figures }, transfer };
  },
  saveSettings: (document) => ({ message: { text: document.settingsFileText() } }),
  loadSettings(document, { text }) {
    const applied = document.applySettingsFile(text);
    if (applied.error) return { message: { error: applied.error } };
    const { message, transfer } = resultMessage(document);
    return { message: { ...message, differences: applied.differences }, transfer };
  },
};

let queue = Promise.resolve();
self.onmessage = ({ data }) => {
  if ('wasm' in data) {
    giveWasm(data.wasm);
    return;
  }
  // One request at a time, in the order sent: a picture's decoding must not let a later request
  // overtake it.
  queue = queue.then(async () => {
    const { vorbix, document } = await ready;
    const { id, kind, args } = data;
    if (kind === 'hello') {
      self.postMessage({ id, methods: vorbix.methods(), tvcColours: vorbix.tvcColours(), result: document.result() });
      return;
    }
    try {
      const tell = (progress) => self.postMessage({ id, progress });
      const { message, transfer = [] } = await requests[kind](document, args ?? {}, vorbix, tell);
      self.postMessage({ id, ...message }, transfer);
    } catch (error) {
      self.postMessage({ id, error: `the converter failed: ${error}` });
    }
  });
};
