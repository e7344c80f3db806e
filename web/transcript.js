// The transcript, as a terminal shows it: what the program writes and the
// lines entered, appended as they come and never edited. Also the field's
// description, which follows the last thing the program asked.
/* exported CogmarrowTranscript */
const CogmarrowTranscript = (() => {
  'use strict';
  const transcript = document.getElementById('transcript');
  const asked = document.getElementById('asked');

  // Text is appended as it comes, but the transcript scrolls to its end at
  // most once a frame: scrolling asks the browser for a fresh layout, and
  // one per line would make a long pasted column take minutes.
  let scrollQueued = false;
  let atEnd = true;
  function scrollToEnd() {
    scrollQueued = false;
    transcript.scrollTop = transcript.scrollHeight;
    atEnd = true;
  }
  // Resized (a phone turned, zoom, a keyboard that opens), its lines wrap
  // anew at the same scroll offset, and an older prompt would sit at its
  // bottom as if current: so a transcript at its end stays there, and one
  // the player scrolled up in stays put. A scroll event after a resize,
  // before the observer has seen it, is from the old size, not the player.
  let observedSize = '';
  const size = () => `${transcript.clientWidth}x${transcript.clientHeight}`;
  transcript.addEventListener('scroll', () => {
    if (size() === observedSize) {
      atEnd = transcript.scrollTop + transcript.clientHeight >= transcript.scrollHeight - 2;
    }
  });
  if (window.ResizeObserver) {
    new ResizeObserver(() => {
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
  let unfinished = '';
  function output(text) {
    const lines = (unfinished + text).split('\n');
    unfinished = lines[lines.length - 1];
    const worded = lines.filter((line) => /\w/.test(line));
    if (worded.length > 0) {
      asked.textContent = worded[worded.length - 1].replace(/\*+/g, ' ').replace(/ +/g, ' ').trim();
    }
    show(text);
  }

  // A run rebuilt by a fresh program is not news: the transcript is no live
  // region while it fills, so that a screen reader hears the notice.
  function restart() {
    transcript.setAttribute('aria-live', 'off');
    transcript.textContent = '';
    asked.textContent = '';
    unfinished = '';
    atEnd = true;
  }
  const caughtUp = () => requestAnimationFrame(() => requestAnimationFrame(() =>
    transcript.setAttribute('aria-live', 'polite')));
  // Once the run is over the field asks for nothing.
  const clearAsked = () => {
    asked.textContent = '';
  };

  return {output, echo: show, restart, caughtUp, clearAsked};
})();
