// The console tool built for WebAssembly (createCogmarrow) and its terminal,
// the one owner of the run: the batches of lines the program read (a pasted
// column is one). A batch goes in, echoed, when the program next reads with
// nothing of an earlier one left, as a terminal echoes a paste ahead of the
// prompts it answers; one entered meanwhile waits, echo and all. So a fresh
// program given a run shows it as it was, and the levels left come from it.
// Phases: 'loading', 'catching-up' while a run given goes in, 'asking',
// 'final-wait', then 'over' ('stopped' if it failed, 'unsupported' if it
// cannot run). It tells the page through tell(event, detail): 'output' and
// 'echo' (text), 'caught-up', 'idle', 'final-wait', 'report' ({name, bytes,
// fresh}) and 'ended' (the phase); once replaced, nothing.
const CogmarrowProgram = (() => {
  'use strict';
  const encoder = new TextEncoder();
  // Every line the page lets in holds at most one time, in digits 0 to 9.
  const timesIn = (lines) => lines.filter((line) => /[0-9]/.test(line)).length;

  class Program {
    constructor(run, tell) {
      Object.assign(this, {phase: 'loading', tell, read: [], waiting: run.map((b) => b.slice()),
        given: run.length, echoed: [], rest: null, reader: null, keyWaiter: null, bytes: [],
        decoder: new TextDecoder('utf-8')});
      this.load();
    }

    // Output comes a byte at a time, and goes to the page at a pause.
    write(byte) {
      if (this.bytes.push(byte & 0xff) === 1) {
        queueMicrotask(() => this.flush());
      }
    }
    flush() {
      if (this.bytes.length > 0) {
        const text = this.decoder.decode(new Uint8Array(this.bytes), {stream: true});
        this.bytes = [];
        this.tell?.('output', text);
      }
    }

    // A read: the rest of the batch in hand, the next batch, or the player.
    serve(size, resolve) {
      this.reader = {size, resolve};
      if (this.rest === null && this.echoed.length === 0) {
        this.flush();
        if (this.waiting.length === 0) {
          this.caughtUp('asking');
          this.tell?.('idle');
          return;
        }
        this.echoed = this.waiting.shift();
        this.read.push([]);
        this.tell?.('echo', this.echoed.map((line) => `${line}\n`).join(''));
      }
      this.hand();
    }

    // What fits of the batch, but never past a line with a time: the program
    // may stop reading there (at the last level), so every line handed over
    // is one read. A line longer than a read goes in parts.
    hand() {
      const {size, resolve} = this.reader;
      this.reader = null;
      let bytes = this.rest;
      if (bytes === null) {
        const taken = [];
        for (let length = 0; this.echoed.length > 0;) {
          length += encoder.encode(this.echoed[0]).length + 1;
          if (taken.length > 0 && length > size) {
            break;
          }
          const line = this.echoed.shift();
          taken.push(line);
          if (timesIn([line]) > 0) {
            break;
          }
        }
        this.read[this.read.length - 1].push(...taken);
        bytes = encoder.encode(taken.map((line) => `${line}\n`).join(''));
      }
      this.rest = bytes.length > size ? bytes.subarray(size) : null;
      resolve(bytes.slice(0, size));
    }

    caughtUp(phase) {
      if (this.phase === 'catching-up') {
        this.tell?.('caught-up');
      }
      this.phase = phase;
    }

    // As on a terminal, lines typed ahead of the final wait are dropped (a
    // key pressed early cannot end it unseen); unread, they are no run's.
    waitForKey(resolve) {
      Object.assign(this, {waiting: [], echoed: [], rest: null, keyWaiter: resolve});
      this.flush();
      this.caughtUp('final-wait');
      this.tell?.('final-wait');
    }

    end(phase) {
      this.flush();
      this.phase = phase;
      this.tell?.('ended', phase);
    }

    load() {
      const module = {
        preRun: [() => {
          module.FS.init(null, (byte) => this.write(byte), (byte) => this.write(byte));
          this.phase = 'catching-up';
        }],
        webConsole: {
          readInput: (size) => new Promise((resolve) => this.serve(size, resolve)),
          hasKeyboard: () => true,
          waitForKey: () => new Promise((resolve) => this.waitForKey(resolve)),
          // A report that a run given made again was offered the first time.
          offerReport: (name) => this.tell?.('report',
              {name, bytes: module.FS.readFile(name), fresh: this.read.length > this.given}),
        },
        onExit: () => this.end('over'),
        // A program that never ran could not be compiled: no WebAssembly.
        onAbort: () => this.end(this.phase === 'loading' ? 'unsupported' : 'stopped'),
      };
      createCogmarrow(module);
    }

    // Waiting for the player, with nothing of the player's in hand.
    get idle() {
      return this.phase === 'final-wait' || (this.phase === 'asking' && this.reader !== null);
    }
    // The lines read, in their batches: what the tab keeps.
    get run() {
      return this.read.filter((batch) => batch.length > 0).map((batch) => batch.slice());
    }
    // From the run and what waits to go in, never from what is shown.
    get levelsLeft() {
      return this.phase === 'final-wait' || this.phase === 'over' ? 0 :
        42 - timesIn([...this.read.flat(), ...this.echoed, ...this.waiting.flat()]);
    }

    // An empty batch would read as the end of the input.
    enter(lines) {
      if (lines.length > 0 && ['loading', 'catching-up', 'asking'].includes(this.phase)) {
        this.waiting.push(lines.slice());
        if (this.reader && this.rest === null && this.echoed.length === 0) {
          this.serve(this.reader.size, this.reader.resolve);
        }
      }
    }
    pressKey() {
      const resolve = this.phase === 'final-wait' ? this.keyWaiter : null;
      this.keyWaiter = null;
      resolve?.();
    }
    replace() {
      this.tell = null;
    }
  }

  return {start: (run, tell) => new Program(run, tell)};
})();

if (typeof module === 'object') {
  module.exports = CogmarrowProgram;
}
