// The transcript, as a terminal shows it: what the program writes and the
// lines entered, appended as they come and never edited. Also the field's
// description, which follows the last thing the program asked.
/* exported CogmarrowTranscript */
var CogmarrowTranscript = (function () {
  'use strict';
  var transcript = document.getElementById('transcript');
  var asked = document.getElementById('asked');
  var PROMPT_END = '*** then press Enter\n';

  // Text is appended as it comes, but the transcript scrolls to its end at
  // most once a frame: scrolling asks the browser for a fresh layout, and
  // one per line would make a long pasted column take minutes.
  var scrollQueued = false;
  var atEnd = true;
  function scrollToEnd() {
    scrollQueued = false;
    transcript.scrollTop = transcript.scrollHeight;
    atEnd = true;
  }
  // When the transcript changes size (a phone turned, a narrower window,
  // zoom, a keyboard that opens), its lines wrap anew but it keeps its
  // scroll offset, and an older prompt would sit at its bottom as if it
  // were the current one. So a transcript that was at its end stays
  // there; one the player scrolled up in stays where it was. A scroll
  // event that arrives after a resize, before the observer has seen it,
  // comes from a scroll made at the old size, and is not the player's say.
  var observedSize = '';
  function size() {
    return transcript.clientWidth + 'x' + transcript.clientHeight;
  }
  transcript.addEventListener('scroll', function () {
    if (size() === observedSize) {
      atEnd = transcript.scrollTop + transcript.clientHeight >= transcript.scrollHeight - 2;
    }
  });
  if (window.ResizeObserver) {
    new ResizeObserver(function () {
      observedSize = size();
      if (atEnd) {
        scrollToEnd();
      }
    }).observe(transcript);
  }
  function show(text) {
    transcript.appendChild(document.createTextNode(text));
    if (!scrollQueued) {
      scrollQueued = true;
      requestAnimationFrame(scrollToEnd);
    }
  }

  // The field's description is the last line the program wrote that has
  // words: the prompt now answered, or the final wait. Output may stop
  // mid-line, so the line it stopped in is read again with what follows.
  var unfinished = '';
  var prompts = 0;
  function output(text) {
    var since = unfinished + text;
    var lines = since.split('\n');
    prompts += since.split(PROMPT_END).length - 1;
    unfinished = lines[lines.length - 1];
    var worded = lines.filter(function (line) { return /\w/.test(line); });
    if (worded.length > 0) {
      asked.textContent = worded[worded.length - 1].replace(/\*+/g, ' ').replace(/ +/g, ' ').trim();
    }
    show(text);
  }

  // A run rebuilt by a fresh program is not news: the transcript is no live
  // region while it fills, and becomes one again once the browser has
  // shown it, so that a screen reader hears the notice and not the run.
  function restart() {
    transcript.setAttribute('aria-live', 'off');
    transcript.textContent = '';
    asked.textContent = '';
    unfinished = '';
    prompts = 0;
    atEnd = true;
  }
  function caughtUp() {
    requestAnimationFrame(function () {
      requestAnimationFrame(function () { transcript.setAttribute('aria-live', 'polite'); });
    });
  }
  function over() {
    asked.textContent = '';
  }

  return {output: output, echo: show, restart: restart, caughtUp: caughtUp, over: over,
    prompts: function () { return prompts; }};
})();
