// The report, once written. A browser may refuse or cancel the download
// without telling the page, so the report is also shown, to copy or save.
/* exported CogmarrowReport */
const CogmarrowReport = (() => {
  'use strict';
  const report = document.getElementById('report');
  const reportText = document.getElementById('report-text');
  const saveLink = document.getElementById('save-link');
  const copied = document.getElementById('copied');

  // Shows the report and, if `download`, asks the browser to save it; the
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

  // Where the clipboard is out of bounds (an older browser, or a player who
  // said no), the report is selected instead, to copy with the keyboard or
  // the menu; a read-only text box holds its exact text.
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
