// SPDX-License-Identifier: MIT
// Copyright 2026 the Vorbix authors: the MIT licence, LICENSE.txt beside this file.
// The page's side of the worker: one request in flight, the rest waiting. Edits go first, in
// order; background work (the score, the program files, the Compare tiles) waits until no edit
// does, so the newest edit never queues behind it. A slider move waiting behind another of the
// same slider replaces it, so a drag converts only the latest place.
//
// A long request can be cancelled: the worker is stopped where it is and a fresh one is brought
// back to where the document was before it (restore()), then the waiting edits carry on.

export class Converter {
  // worker: one already started on url, else one is started here.
  constructor(url, worker = null) {
    this.url = url;
    this.waiting = [];
    this.inFlight = null;
    this.nextId = 1;
    this.onIdle = () => {};
    // The requests that rebuild the document in a fresh worker, given by the page.
    this.restore = () => [];
    this.startWorker(worker);
  }

  startWorker(started = null) {
    this.worker = started;
    if (!started) {
      this.worker = new Worker(this.url, { type: 'module' });
      this.worker.postMessage({ wasm: null });
    }
    this.worker.onmessage = ({ data }) => this.receive(data);
  }

  // Resolves with the worker's answer (an object with "error" when it failed, "superseded" when
  // a later request took its place, "cancelled" when it was stopped).
  request(kind, args = {}, { replaces, background = false, onProgress } = {}) {
    return new Promise((resolve) => {
      const job = { id: this.nextId++, kind, args, resolve, replaces, background, onProgress };
      const stale = replaces ? this.waiting.findIndex((other) => other.replaces === replaces) : -1;
      if (stale >= 0) {
        this.waiting[stale].resolve({ superseded: true });
        this.waiting[stale] = job;
      } else {
        this.waiting.push(job);
      }
      this.pump();
    });
  }

  busy() {
    return this.inFlight !== null || this.waiting.length > 0;
  }

  editsWaiting() {
    return this.waiting.some((job) => !job.background);
  }

  // Drops the background work that has not started.
  dropBackground() {
    this.waiting = this.waiting.filter((job) => !job.background || (job.resolve({ superseded: true }), false));
  }

  pump() {
    if (this.inFlight || this.waiting.length === 0) return;
    const edit = this.waiting.findIndex((job) => !job.background);
    this.inFlight = this.waiting.splice(edit >= 0 ? edit : 0, 1)[0];
    const { id, kind, args } = this.inFlight;
    this.worker.postMessage({ id, kind, args });
  }

  receive(data) {
    const job = this.inFlight;
    if (!job || job.id !== data.id) return;
    if (data.progress) {
      job.onProgress?.(data.progress);
      return;
    }
    this.inFlight = null;
    job.resolve(data);
    this.pump();
    if (!this.busy()) this.onIdle();
  }

  // Stops the request in flight, if it is of that kind.
  cancel(kind) {
    const job = this.inFlight;
    if (!job || job.kind !== kind) return;
    this.worker.terminate();
    this.startWorker();
    const rebuild = this.restore().map(([restoreKind, args]) => ({ id: this.nextId++, kind: restoreKind, args, resolve: () => {} }));
    this.waiting.unshift(...rebuild);
    this.inFlight = null;
    job.resolve({ cancelled: true });
    this.pump();
  }
}
