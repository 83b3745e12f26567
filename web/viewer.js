// SPDX-License-Identifier: MIT
// Copyright 2026 the Vorbix authors: the MIT licence, LICENSE.txt beside this file.
// The large viewer: the photo and the TVC's picture split by a divider you drag, or side by side;
// zoomed to fit or by whole steps, so that each machine pixel is whole screen pixels; panned by
// dragging, zoomed by Ctrl+wheel and by pinching.

// The picture drawn: 512 × 480 (each of the 240 lines twice). A PAL TV shows about 52 µs of a
// line and 288 lines of a field across its 4 : 3 screen; the TVC shows 40.96 µs and 240 lines,
// so its picture is about 1.26 times as wide as high there.
export const PICTURE_WIDTH = 512;
export const PICTURE_HEIGHT = 480;
export const TV_ASPECT = ((40.96 / 52) * (4 / 3)) / (240 / 288);

const STEPS = [1, 2, 3, 4];
const SIDE_GAP = 8;
const PINCH_STEP = 1.3; // how far two fingers spread (or close) for one zoom step
const WHEEL_STEP = 60;

export class Viewer {
  constructor({ stage, box, divider, zoomSelect, onZoom }) {
    Object.assign(this, { stage, box, divider, zoomSelect, onZoom });
    this.view = 'split';
    this.zoom = 'fit';
    this.tvShape = false;
    this.scale = 1; // device pixels per picture pixel, as last laid out
    this.split = 0.5;
    this.pointers = new Map();
    this.wheel = 0;
    new ResizeObserver(() => this.layout()).observe(stage);
    this.wireDivider();
    this.wirePanAndPinch();
    stage.addEventListener('wheel', (event) => this.wheelZoom(event), { passive: false });
    this.layout();
  }

  setView(view) {
    this.view = view;
    this.stage.dataset.view = view;
    this.layout();
  }

  setTvShape(on) {
    this.tvShape = on;
    this.layout();
  }

  setZoom(zoom, at = null) {
    const anchor = at ?? { x: this.stage.clientWidth / 2, y: this.stage.clientHeight / 2 };
    const fx = (this.stage.scrollLeft + anchor.x) / this.stage.scrollWidth;
    const fy = (this.stage.scrollTop + anchor.y) / this.stage.scrollHeight;
    this.zoom = zoom;
    this.zoomSelect.value = String(zoom);
    this.layout();
    this.stage.scrollLeft = fx * this.stage.scrollWidth - anchor.x;
    this.stage.scrollTop = fy * this.stage.scrollHeight - anchor.y;
    this.onZoom?.();
  }

  // One step in or out from the zoom shown; out of the smallest step goes to "fit".
  step(direction, at) {
    const next = direction > 0 ? STEPS.find((s) => s > this.scale + 1e-6) : [...STEPS].reverse().find((s) => s < this.scale - 1e-6);
    if (next) this.setZoom(next, at);
    else if (direction < 0) this.setZoom('fit', at);
  }

  pictureWidth() {
    return this.tvShape ? Math.round(PICTURE_HEIGHT * TV_ASPECT) : PICTURE_WIDTH;
  }

  layout() {
    const ratio = window.devicePixelRatio || 1;
    const columns = this.view === 'side' ? 2 : 1;
    const width = this.pictureWidth();
    let scale; // device pixels per picture pixel
    if (this.zoom === 'fit') {
      const room = {
        width: (this.stage.clientWidth - (columns - 1) * SIDE_GAP) * ratio,
        height: this.stage.clientHeight * ratio,
      };
      const fit = Math.min(room.width / (width * columns), room.height / PICTURE_HEIGHT);
      // Whole steps where they fit; a screen too small for 1× gets the picture scaled down.
      scale = fit >= 1 ? Math.floor(fit) : fit;
    } else {
      scale = Number(this.zoom);
    }
    this.scale = scale;
    this.stage.dataset.zoom = String(this.zoom);
    const cssWidth = (width * scale) / ratio;
    const cssHeight = (PICTURE_HEIGHT * scale) / ratio;
    this.box.style.width = `${cssWidth * columns + (columns - 1) * SIDE_GAP}px`;
    this.box.style.height = `${cssHeight}px`;
    for (const figure of this.box.querySelectorAll('figure')) {
      figure.style.width = columns === 2 ? `${cssWidth}px` : '';
      figure.style.height = columns === 2 ? `${cssHeight}px` : '';
    }
    this.box.style.setProperty('--split', `${this.split * 100}%`);
  }

  setSplit(fraction) {
    this.split = Math.min(1, Math.max(0, fraction));
    this.box.style.setProperty('--split', `${this.split * 100}%`);
    this.divider.setAttribute('aria-valuenow', String(Math.round(this.split * 100)));
  }

  wireDivider() {
    const follow = (event) => {
      const box = this.box.getBoundingClientRect();
      this.setSplit((event.clientX - box.left) / box.width);
    };
    this.divider.addEventListener('pointerdown', (event) => {
      event.stopPropagation();
      this.divider.setPointerCapture(event.pointerId);
      follow(event);
    });
    this.divider.addEventListener('pointermove', (event) => {
      if (this.divider.hasPointerCapture(event.pointerId)) follow(event);
    });
    this.divider.addEventListener('keydown', (event) => {
      const moves = { ArrowLeft: -0.05, ArrowRight: 0.05, Home: -1, End: 1 };
      if (!(event.key in moves)) return;
      event.preventDefault();
      this.setSplit(this.split + moves[event.key]);
    });
  }

  wirePanAndPinch() {
    const stage = this.stage;
    const distance = () => {
      const [a, b] = [...this.pointers.values()];
      return Math.hypot(a.x - b.x, a.y - b.y);
    };
    const local = (x, y) => {
      const rect = stage.getBoundingClientRect();
      return { x: x - rect.left, y: y - rect.top };
    };
    stage.addEventListener('pointerdown', (event) => {
      if (event.button !== 0 || event.target.closest('#start')) return;
      stage.setPointerCapture(event.pointerId);
      this.pointers.set(event.pointerId, { x: event.clientX, y: event.clientY });
      this.pan = { x: event.clientX, y: event.clientY, left: stage.scrollLeft, top: stage.scrollTop };
      this.pinch = this.pointers.size === 2 ? distance() : null;
      stage.classList.add('panning');
    });
    stage.addEventListener('pointermove', (event) => {
      if (!this.pointers.has(event.pointerId)) return;
      this.pointers.set(event.pointerId, { x: event.clientX, y: event.clientY });
      if (this.pointers.size === 2 && this.pinch) {
        const [a, b] = [...this.pointers.values()];
        const middle = local((a.x + b.x) / 2, (a.y + b.y) / 2);
        const spread = distance() / this.pinch;
        if (spread > PINCH_STEP || spread < 1 / PINCH_STEP) {
          this.step(spread > 1 ? 1 : -1, middle);
          this.pinch = distance();
        }
      } else if (this.pointers.size === 1) {
        stage.scrollLeft = this.pan.left - (event.clientX - this.pan.x);
        stage.scrollTop = this.pan.top - (event.clientY - this.pan.y);
      }
    });
    const release = (event) => {
      this.pointers.delete(event.pointerId);
      const [left] = this.pointers.values();
      if (left) this.pan = { x: left.x, y: left.y, left: stage.scrollLeft, top: stage.scrollTop };
      if (this.pointers.size === 0) stage.classList.remove('panning');
    };
    stage.addEventListener('pointerup', release);
    stage.addEventListener('pointercancel', release);
  }

  wheelZoom(event) {
    if (!event.ctrlKey) return;
    event.preventDefault();
    this.wheel += event.deltaY;
    if (Math.abs(this.wheel) < WHEEL_STEP) return;
    const rect = this.stage.getBoundingClientRect();
    this.step(this.wheel < 0 ? 1 : -1, { x: event.clientX - rect.left, y: event.clientY - rect.top });
    this.wheel = 0;
  }
}
