// One program and its console. The program is the console tool itself,
// built for WebAssembly (createCogmarrow); this is its terminal: it takes
// the lines the page enters, echoes them where the output stands, and hands
// them over as the program reads. To bring a kept run back it enters the
// kept batches again, each where it went in the first time, and the
// program says everything anew.
//
// A program passes through its phases in order: 'loading' until it runs,
// 'catching-up' while kept batches go in, 'asking' for the player's lines,
// 'final-wait' for one key, then 'over' (or 'stopped' if it failed). Once
// `replace` is called nothing of it reaches the page any more.
/* exported CogmarrowProgram */
var CogmarrowProgram = (function () {
  'use strict';
  var encoder = new TextEncoder();
  var NOT_ASCII = /[\u0080-\uffff]/;
  var DIGIT = /[0-9]/;

  function byteLength(line) {
    return NOT_ASCII.test(line) ? encoder.encode(line).length + 1 : line.length + 1;
  }

  // What the page is told: each call goes to `hooks` while the program is
  // the page's, and nowhere once it has been replaced.
  function tell(tty, name) {
    if (!tty.replaced) {
      tty.hooks[name].apply(null, Array.prototype.slice.call(arguments, 2));
    }
  }

  // Output comes a byte at a time and goes to the page once the program
  // pauses.
  function flush(tty) {
    tty.flushQueued = false;
    if (tty.bytes.length > 0) {
      var text = tty.decoder.decode(new Uint8Array(tty.bytes), {stream: true});
      tty.bytes = [];
      tell(tty, 'output', text);
    }
  }

  // Lines go in echoed after everything the program has written so far.
  function put(tty, lines) {
    flush(tty);
    tell(tty, 'echo', lines.join('\n') + '\n');
    for (var i = 0; i < lines.length; ++i) {
      tty.queue.push(lines[i]);
    }
    if (tty.reader) {
      give(tty);
    }
  }

  // A read gets what fits of the queued lines, but never goes past a line
  // with a digit: a line without one cannot complete a time. So when the
  // program stops reading at the final wait, every line it was handed is
  // one it read, and those still queued are the ones it never saw.
  function give(tty) {
    var size = tty.reader.size;
    var bytes;
    if (tty.unread) {
      bytes = tty.unread;
    } else {
      var taken = [];
      var length = 0;
      while (tty.head < tty.queue.length) {
        var line = tty.queue[tty.head];
        var lineLength = byteLength(line);
        if (taken.length > 0 && length + lineLength > size) {
          break;
        }
        taken.push(line);
        length += lineLength;
        tty.head += 1;
        if (DIGIT.test(line)) {
          break;
        }
      }
      if (tty.head === tty.queue.length) {
        tty.queue = [];
        tty.head = 0;
      }
      bytes = encoder.encode(taken.join('\n') + '\n');
    }
    // A line longer than a read is handed over in parts.
    tty.unread = bytes.length > size ? bytes.subarray(size) : null;
    var resolve = tty.reader.resolve;
    tty.reader = null;
    resolve(bytes.slice(0, size));
  }

  // Kept batches go in when the program asks for input, or at once if they
  // were entered before the program had written as much as it has now.
  function replay(tty) {
    while (tty.replaying.length > 0 &&
           (tty.reader || tty.replaying[0].at <= tty.written)) {
      var batch = tty.replaying.shift();
      put(tty, batch.lines);
    }
  }

  function caughtUp(tty, phase) {
    var was = tty.phase;
    tty.phase = phase;
    if (was === 'catching-up') {
      tell(tty, 'caughtUp');
    }
  }

  // The program asks for input: a kept batch, or a line entered while the
  // run was coming back, or the player.
  function asked(tty, size, resolve) {
    tty.reader = {size: size, resolve: resolve};
    if (tty.unread || tty.head < tty.queue.length) {
      give(tty);
      return;
    }
    flush(tty);
    replay(tty);
    if (!tty.reader) {
      return;
    }
    caughtUp(tty, 'asking');
    if (tty.waiting.length > 0) {
      enter(tty, tty.waiting.shift());
    } else {
      tell(tty, 'idle');
    }
  }

  // Lines the player enters go in now, or once the run has come back.
  function enter(tty, lines) {
    if (tty.phase === 'loading' || tty.phase === 'catching-up') {
      tty.waiting.push(lines);
    } else if (tty.phase === 'asking') {
      tell(tty, 'entered', tty.written, lines);
      put(tty, lines);
    }
  }

  // As on a terminal, lines typed ahead of the final wait are dropped, so
  // that a key pressed early cannot end it unseen; the page is told how
  // many lines the program never read.
  function waitForKey(tty, resolve) {
    var unread = tty.replaying.reduce(function (sum, batch) {
      return sum + batch.lines.length;
    }, tty.queue.length - tty.head);
    tty.queue = [];
    tty.head = 0;
    tty.unread = null;
    tty.replaying = [];
    tty.waiting = [];
    flush(tty);
    caughtUp(tty, 'final-wait');
    tty.keyWaiter = resolve;
    tell(tty, 'finalWait', unread);
  }

  function pressKey(tty) {
    if (tty.phase === 'final-wait' && tty.keyWaiter) {
      var resolve = tty.keyWaiter;
      tty.keyWaiter = null;
      resolve();
    }
  }

  function end(tty, phase) {
    flush(tty);
    tty.phase = phase;
    tell(tty, 'ended', phase);
  }

  // A fresh program, given `batches` (a kept run) before it is the player's.
  // `hooks`: output(text), echo(text), entered(at, lines), caughtUp(),
  // idle(), finalWait(unread), report(name, bytes, fresh), ended(phase).
  function start(batches, hooks) {
    var tty = {phase: 'loading', hooks: hooks, replaced: false, replaying: batches.slice(),
      waiting: [], queue: [], head: 0, unread: null, reader: null, keyWaiter: null,
      written: 0, bytes: [], flushQueued: false, decoder: new TextDecoder('utf-8')};
    function output(byte) {
      tty.written += 1;
      tty.bytes.push(byte & 0xff);
      if (!tty.flushQueued) {
        tty.flushQueued = true;
        queueMicrotask(function () { flush(tty); });
      }
    }
    var emscriptenModule = {
      preRun: [function () {
        emscriptenModule.FS.init(null, output, output);
        tty.phase = 'catching-up';
        replay(tty);
      }],
      webConsole: {
        readInput: function (size) {
          return new Promise(function (resolve) { asked(tty, size, resolve); });
        },
        hasKeyboard: function () { return true; },
        waitForKey: function () {
          return new Promise(function (resolve) { waitForKey(tty, resolve); });
        },
        // A report that a kept run made again was offered the first time.
        offerReport: function (name) {
          tell(tty, 'report', name, emscriptenModule.FS.readFile(name), tty.phase === 'asking');
        }
      },
      onExit: function () { end(tty, 'over'); },
      // A program that never ran could not be compiled: WebAssembly is
      // switched off or refused here.
      onAbort: function () { end(tty, tty.phase === 'loading' ? 'unsupported' : 'stopped'); }
    };
    createCogmarrow(emscriptenModule);
    return {
      get phase() { return tty.phase; },
      // Waiting for the player, with nothing of the player's in hand.
      get idle() {
        return tty.phase === 'final-wait' || (tty.phase === 'asking' && tty.reader !== null);
      },
      enter: function (lines) { enter(tty, lines); },
      pressKey: function () { pressKey(tty); },
      replace: function () { tty.replaced = true; }
    };
  }

  return {start: start};
})();
