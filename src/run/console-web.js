// The browser's half of console-web.cc. Whatever home the program runs in
// (the page, or Node.js for the tests) sets Module.webConsole before the
// program starts, with these members:
//   readInput(size)   a promise of the next bytes entered, at most `size`,
//                     none at the end of input
//   hasKeyboard()     whether anyone is there to press the final key
//   waitForKey()      a promise kept when a key has been pressed
//   offerReport(name) hands the finished report file to the player
mergeInto(LibraryManager.library, {
  webReadInput: function (buffer, size) {
    return Asyncify.handleAsync(function () {
      return Module['webConsole']['readInput'](size).then(function (bytes) {
        HEAPU8.set(bytes, buffer);
        return bytes.length;
      });
    });
  },
  webReadInput__deps: ['$Asyncify'],

  webHasKeyboard: function () {
    return Module['webConsole']['hasKeyboard']() ? 1 : 0;
  },

  webWaitForKey: function () {
    return Asyncify.handleAsync(function () {
      return Module['webConsole']['waitForKey']();
    });
  },
  webWaitForKey__deps: ['$Asyncify'],

  webOfferReport: function (name) {
    Module['webConsole']['offerReport'](UTF8ToString(name));
  },
});
