// The browser's half of console-web.cc. Whatever home the program runs in
// (the page, or Node.js for the tests) sets Module.webConsole before the
// program starts, with these members:
//   readInput(size)   a promise of the next bytes entered, at most `size`,
//                     none at the end of input
//   hasKeyboard()     whether anyone is there to press the final key
//   waitForKey()      a promise kept when a key has been pressed
//   offerReport(name) hands the finished report file to the player
mergeInto(LibraryManager.library, {
  // Suspends the program until the promise that `start` makes is kept, then
  // resumes it with the value that `result` makes of what was promised. The
  // import is called a second time as the program resumes, and only the
  // first call may start anything. A resumed program that runs to its end
  // leaves by throwing ExitStatus up through here; that is its normal way
  // out, not a fault, so only other errors go on.
  $webResumeWhenKept: function (start, result) {
    return Asyncify.handleSleep(function (wakeUp) {
      start().then(function (value) {
        try {
          wakeUp(result(value));
        } catch (error) {
          if (!(error instanceof ExitStatus)) {
            throw error;
          }
        }
      });
    });
  },
  $webResumeWhenKept__deps: ['$Asyncify'],

  webReadInput: function (buffer, size) {
    return webResumeWhenKept(function () {
      return Module['webConsole']['readInput'](size);
    }, function (bytes) {
      HEAPU8.set(bytes, buffer);
      return bytes.length;
    });
  },
  webReadInput__deps: ['$webResumeWhenKept'],

  webHasKeyboard: function () {
    return Module['webConsole']['hasKeyboard']() ? 1 : 0;
  },

  webWaitForKey: function () {
    return webResumeWhenKept(Module['webConsole']['waitForKey'],
      function () { return 0; });
  },
  webWaitForKey__deps: ['$webResumeWhenKept'],

  webOfferReport: function (name) {
    Module['webConsole']['offerReport'](UTF8ToString(name));
  },
});
