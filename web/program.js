// One program and its console. The program is the console tool itself,
// built for WebAssembly (createCogmarrow); this is its terminal, and the
// one owner of the run: the lines the program has read, in the batches
// they were entered in (a pasted column is one).
//
// A batch goes in when the program next reads with nothing of an earlier
// batch left: it is echoed there, after everything the program has written,
// as a terminal echoes pasted text ahead of the prompts it answers. A batch
// entered while the program is still taking an earlier one waits, echo and
// all. So a fresh program given a kept run shows the run as it was shown
// the first time, and the levels left are known from the run alone.
//
// A program passes through its phases in order: 'loading' until it runs,
// 'catching-up' while the kept run goes in, 'asking' for the player's lines,
// 'final-wait' for one key, then 'over' (or 'stopped' if it failed, or
// 'unsupported' if it could not run at all). It tells the page what happens
// through one callback, `tell(event, detail)`: 'output' (text), 'echo'
// (text), 'caught-up', 'idle', 'final-wait', 'report' ({name, bytes,
// fresh}) and 'ended' (phase). Once `replace` is called it tells nothing more.
const CogmarrowProgram = (() => {
  'use strict';
  const LEVELS = 42;
  const encoder = new TextEncoder();
  // Every line the page lets in holds at most one time, in digits 0 to 9.
  const timesIn = (lines) => lines.filter((line) => /[0-9]/.test(line)).length;

  class Program {
    constructor(run, tell) {
      this.phase = 'loading';
      this.tell = tell;
      this.read = [];
      this.waiting = run.map((batch) => batch.slice());
      this.kept = run.length;
      this.echoed = [];
      this.rest = null;
      this.reader = null;
      this.keyWaiter = null;
      this.bytes = [];
      this.decoder = new TextDecoder('utf-8');
      this.load();
    }

    say(event, detail) {
      if (this.tell) {
        this.tell(event, detail);
      }
    }

    // Output comes a byte at a time and goes to the page once the program
    // pauses.
    write(byte) {
      if (this.bytes.length === 0) {
        queueMicrotask(() => this.flush());
      }
      this.bytes.push(byte & 0xff);
    }
    flush() {
      if (this.bytes.length > 0) {
        const text = this.decoder.decode(new Uint8Array(this.bytes), {stream: true});
        this.bytes = [];
        this.say('output', text);
      }
    }

    // The program reads: the rest of the batch in hand, or the next batch,
    // or, with none, the player is waited for.
    serve(size, resolve) {
      this.reader = {size, resolve};
      if (this.rest === null && this.echoed.length === 0) {
        this.flush();
        if (this.waiting.length === 0) {
          this.caughtUp('asking');
          this.say('idle');
          return;
        }
        const batch = this.waiting.shift();
        this.read.push([]);
        this.echoed = batch;
        this.say('echo', batch.map((line) => `${line}\n`).join(''));
      }
      this.hand();
    }

    // A read gets what fits of the batch, but never goes past a line with
    // a time: the program may stop reading at that one (the last level), so
    // every line handed over is a line read.
    hand() {
      const {size, resolve} = this.reader;
      this.reader = null;
      let bytes = this.rest;
      if (bytes === null) {
        const taken = [];
        let length = 0;
        while (this.echoed.length > 0) {
          const line = this.echoed[0];
          const lineLength = encoder.encode(line).length + 1;
          if (taken.length > 0 && length + lineLength > size) {
            break;
          }
          taken.push(this.echoed.shift());
          length += lineLength;
          if (timesIn([line]) > 0) {
            break;
          }
        }
        this.read[this.read.length - 1].push(...taken);
        bytes = encoder.encode(taken.map((line) => `${line}\n`).join(''));
      }
      // A line longer than a read is handed over in parts.
      this.rest = bytes.length > size ? bytes.subarray(size) : null;
      resolve(bytes.slice(0, size));
    }

    caughtUp(phase) {
      const was = this.phase;
      this.phase = phase;
      if (was === 'catching-up') {
        this.say('caught-up');
      }
    }

    // As on a terminal, lines typed ahead of the final wait are dropped, so
    // that a key pressed early cannot end it unseen; they were never read,
    // so they are not part of the run.
    waitForKey(resolve) {
      this.waiting = [];
      this.echoed = [];
      this.rest = null;
      this.flush();
      this.caughtUp('final-wait');
      this.keyWaiter = resolve;
      this.say('final-wait');
    }

    end(phase) {
      this.flush();
      this.phase = phase;
      this.say('ended', phase);
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
          // A report that a kept run made again was offered the first time.
          offerReport: (name) => this.say('report',
              {name, bytes: module.FS.readFile(name), fresh: this.read.length > this.kept}),
        },
        onExit: () => this.end('over'),
        // A program that never ran could not be compiled: WebAssembly is
        // switched off or refused here.
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
    // Counted from the run and what waits to go in, never from what the
    // program has shown so far.
    get levelsLeft() {
      if (this.phase === 'final-wait' || this.phase === 'over') {
        return 0;
      }
      return LEVELS - timesIn([...this.read.flat(), ...this.echoed, ...this.waiting.flat()]);
    }

    enter(lines) {
      if (['loading', 'catching-up', 'asking'].includes(this.phase)) {
        this.waiting.push(lines.slice());
        if (this.reader && this.rest === null && this.echoed.length === 0) {
          this.serve(this.reader.size, this.reader.resolve);
        }
      }
    }
    pressKey() {
      if (this.phase === 'final-wait' && this.keyWaiter) {
        const resolve = this.keyWaiter;
        this.keyWaiter = null;
        resolve();
      }
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
