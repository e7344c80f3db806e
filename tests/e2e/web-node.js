// Node.js as a home for the web edition's program (the web-node build), so
// that the end-to-end suite can run it as it runs the console editions. It
// reads the process's own standard input, and with NODERAWFS its output and
// files are the process's own too. Nobody is at a keyboard, as when a file
// is piped into the console tool, so there is no final wait.
Module['webConsole'] = {
  'readInput': (size) => new Promise((resolve) => {
    const fs = require('fs');
    (function attempt() {
      const bytes = Buffer.alloc(size);
      try {
        resolve(bytes.subarray(0, fs.readSync(0, bytes, 0, size, null)));
      } catch (error) {
        // Input that another program made non-blocking has nothing yet:
        // try again shortly. Any other failure ends the input.
        if (error.code === 'EAGAIN') {
          setTimeout(attempt, 10);
        } else {
          resolve(bytes.subarray(0, 0));
        }
      }
    })();
  }),
  'hasKeyboard': () => false,
  'waitForKey': () => Promise.resolve(),
  'offerReport': () => {},
};
