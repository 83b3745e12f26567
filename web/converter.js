// The page's side of the worker: one request in flight, the rest waiting in order. A slider
// move waiting behind another of the same slider replaces it, so a drag converts only the
// latest place; "extras" (the score and program files) wait until nothing else does.

export class Converter {
  constructor(url) {
    this.worker = new Worker(url, { type: 'module' });
    this.worker.onmessage = ({ data }) => this.finish(data);
    this.waiting = [];
    this.inFlight = null;
    this.nextId = 1;
    this.onIdle = () => {};
  }

  // Resolves with the worker's answer (an object with "error" when it failed).
  request(kind, args = {}, { replaces } = {}) {
    return new Promise((resolve) => {
      const job = { id: this.nextId++, kind, args, resolve, replaces };
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

  pump() {
    if (this.inFlight || this.waiting.length === 0) return;
    this.inFlight = this.waiting.shift();
    const { id, kind, args } = this.inFlight;
    this.worker.postMessage({ id, kind, args });
  }

  finish(data) {
    const job = this.inFlight;
    this.inFlight = null;
    if (job && job.id === data.id) job.resolve(data);
    this.pump();
    if (!this.busy()) this.onIdle();
  }
}
