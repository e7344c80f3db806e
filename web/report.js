// The report, once the program has written it. The browser may refuse the
// download, or the player may cancel it, and the page is never told; so the
// report is also shown on the page, where it can be copied or saved again
// whatever became of the download.
/* exported CogmarrowReport */
const CogmarrowReport = (() => {
  'use strict';
  const report = document.getElementById('report');
  const reportText = document.getElementById('report-text');
  const saveLink = document.getElementById('save-link');
  const copied = document.getElementById('copied');

  // Shows the report and, if `download`, asks the browser to save it. It
  // takes its share of the screen, and the introduction makes room; the
  // focus stays where the player is typing.
  function offer(name, bytes, download) {
    reportText.value = new TextDecoder('utf-8').decode(bytes);
    // On paper the box is as tall as the report.
    reportText.rows = reportText.value.split('\n').length;
    copied.textContent = '';
    report.hidden = false;
    document.body.classList.add('reported');
    URL.revokeObjectURL(saveLink.href);
    saveLink.href = URL.createObjectURL(new Blob([bytes], {type: 'text/plain'}));
    saveLink.download = name;
    if (download) {
      saveLink.click();
    }
  }
  // A report taken back goes, and what was said of it with it.
  function hide() {
    report.hidden = true;
    copied.textContent = '';
    document.body.classList.remove('reported');
  }

  // Where the clipboard is out of bounds (an older browser, or one that
  // asks the player and was told no), the report is selected instead, for
  // the player to copy with the keyboard or the menu. A read-only text box
  // gives them the report's exact text, first empty line and all.
  document.getElementById('copy').addEventListener('click', () => {
    const copying = reportText.value;
    const selectReport = () => {
      reportText.focus();
      reportText.select();
      copied.textContent = 'The report is selected: copy it with Ctrl+C ' +
        '(Command-C on a Mac) or the menu.';
    };
    copied.textContent = '';
    if (!navigator.clipboard || !navigator.clipboard.writeText) {
      selectReport();
      return;
    }
    navigator.clipboard.writeText(copying).then(() => {
      // A report taken back or made anew meanwhile is not what was copied.
      if (!report.hidden && reportText.value === copying) {
        copied.textContent = 'Copied.';
      }
    }, selectReport);
  });

  return {offer, hide, shown: () => !report.hidden,
    contains: (node) => report.contains(node), focus: () => reportText.focus()};
})();
