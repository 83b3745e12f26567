// The converter's own thread: decodes pictures with the browser's decoders and runs the document
// (WebAssembly) one request at a time, so the page never waits on a conversion.
import createVorbix from './vorbix.js';

const ready = createVorbix().then((vorbix) => ({ vorbix, document: new vorbix.Document() }));

// The pixels as stored: no colour management, no premultiplied alpha, the camera's orientation
// applied. A PNG or BMP then gives the bytes the desktop's decoders give.
async function decodePicture(file) {
  const bitmap = await createImageBitmap(file, {
    imageOrientation: 'from-image',
    colorSpaceConversion: 'none',
    premultiplyAlpha: 'none',
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

const requests = {
  async load(document, { file }) {
    let pixels;
    try {
      pixels = await decodePicture(file);
    } catch {
      return { message: { error: `${file.name}: not a picture the browser can read (damaged, cut short or of another kind)` } };
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    const error = document.load(pixels.width, pixels.height, pixels.data, bytes, file.name);
    return error ? { message: { error: `${file.name}: ${error}` } } : resultMessage(document);
  },
  mode: (document, { mode }) => (document.chooseMode(mode), resultMessage(document)),
  method: (document, { method }) => (document.chooseMethod(method), resultMessage(document)),
  resize: (document, { on }) => (document.setResize(on), resultMessage(document)),
  swatches: (document, { mode, colours }) => (document.chooseSwatches(mode, colours), resultMessage(document)),
  bestColours: (document) => (document.chooseBestSwatches(), resultMessage(document)),
  slider: (document, { slider, value }) => (document.moveSlider(slider, value), resultMessage(document)),
  set: (document) => (document.commit(), resultMessage(document)),
  toggleMix: (document, { mix }) => (document.toggleMix(mix), resultMessage(document)),
  swapMix: (document, { mix }) => (document.swapMix(mix), resultMessage(document)),
  allMixes: (document, { on }) => (document.switchAllMixes(on), resultMessage(document)),
  // What follows a conversion once nothing else waits: the score and the program files.
  extras(document) {
    const cas = document.program(false);
    const wav = document.program(true);
    return {
      message: { likeness: document.likeness(), cas, wav },
      transfer: [cas.bytes.buffer, wav.bytes.buffer],
    };
  },
  everyMethod(document) {
    const tiles = document.everyMethod();
    return { message: { tiles }, transfer: tiles.map((tile) => tile.preview.buffer) };
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
      const { message, transfer = [] } = await requests[kind](document, args ?? {});
      self.postMessage({ id, ...message }, transfer);
    } catch (error) {
      self.postMessage({ id, error: `the converter failed: ${error}` });
    }
  });
};
