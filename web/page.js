// The page around the program: the field and every way a line reaches it,
// the notes, Undo and Start over, and the one place where events are
// bound. The page never edits the transcript or works out a time, and owns
// no run of its own: the program's console does (program.js), and the page
// keeps what it says in the tab, so that a run outlives a reload or a
// crash. To bring a run back, take a line back or start over, a fresh
// program is given the run and says all anew.
(() => {
  'use strict';
  const Entries = CogmarrowEntries;
  const Transcript = CogmarrowTranscript;
  const Report = CogmarrowReport;
  const byId = (id) => document.getElementById(id);
  const form = byId('entry');
  const field = byId('line');
  const enterButton = form.querySelector('button');
  const undoButton = byId('undo');
  const startOverButton = byId('start-over');
  const confirmBox = byId('confirm');
  const entryNote = byId('entry-note');
  // A browser set to keep no site data may refuse even to hand storage out.
  let storage = null;
  try {
    storage = window.sessionStorage;
  } catch {
    // Nothing can be kept; entries.js takes a missing storage as a refusal.
  }

  const say = (text) => {
    byId('notice').textContent = text;
  };
  const note = (text) => {
    entryNote.textContent = text;
    entryNote.hidden = text === '';
  };
  // Text the page puts in the field is to be typed on: the caret goes last.
  const putBack = (text) => {
    field.value = text;
    field.setSelectionRange(text.length, text.length);
  };

  // Storage that refuses a write is said once, and the run is then not
  // kept at all, so that a reload cannot bring back a part as if whole.
  let keeping = true;
  const written = (ok) => {
    if (keeping && !ok) {
      keeping = false;
      Entries.forget(storage);
      byId('unkept').hidden = false;
    }
  };
  const keepRun = (run) => written(!keeping || Entries.keepRun(storage, run));
  const keepField = () => written(!keeping || Entries.keepField(storage, field.value));

  let program = null;
  // What is said once a fresh program has caught up with its run.
  let done = () => '';
  // Undo and Start over have lines to work on from the first one read until
  // the run is over, once the program is waiting for the player.
  function showActions() {
    undoButton.disabled = !program.idle || program.run.length === 0;
    startOverButton.disabled = undoButton.disabled;
    confirmBox.hidden = confirmBox.hidden || startOverButton.disabled;
  }

  // The field is switched off at the end; a keyboard player goes on from
  // the report, if there is one, rather than from the top of the page. A
  // run that is over is kept no longer: a reload starts a new one.
  function ended(phase) {
    const hadFocus = document.activeElement === field;
    field.disabled = true;
    enterButton.disabled = true;
    byId(phase).hidden = false;
    if (phase === 'over') {
      field.value = '';
      Transcript.clearAsked();
      Entries.forget(storage);
    }
    showActions();
    if (hadFocus && Report.shown()) {
      Report.focus();
    }
  }

  // What the program's console tells, while it is the page's.
  function heard(event, detail) {
    if (event === 'output') {
      Transcript.output(detail);
    } else if (event === 'echo') {
      Transcript.echo(detail);
    } else if (event === 'caught-up') {
      Transcript.caughtUp();
      say(done());
      // WebKit puts a reloaded field's caret at its start.
      putBack(field.value);
      field.focus();
    } else if (event === 'idle' || event === 'final-wait') {
      keepRun(program.run);
      if (event === 'final-wait') {
        putBack('');
        keepField();
      }
      showActions();
    } else if (event === 'report') {
      Report.offer(detail.name, detail.bytes, detail.fresh);
      if (detail.fresh) {
        say('Your browser was asked to save Results.txt; if none arrived, ' +
          'copy or save the report below.');
      }
    } else if (event === 'ended') {
      ended(detail);
    }
  }

  // A fresh program on `run`, replacing any other; `then` says what was
  // done, once the program has caught up with the run.
  function begin(run, then) {
    if (program) {
      program.replace();
    }
    Transcript.restart();
    Report.hide();
    ['over', 'stopped'].forEach((id) => {
      byId(id).hidden = true;
    });
    field.disabled = false;
    enterButton.disabled = false;
    done = then;
    program = CogmarrowProgram.start(run, heard);
    keepRun(run);
    keepField();
    showActions();
  }

  // One key ends the final wait: on a phone's keyboard that may come as
  // typed text rather than a key press, and the Enter button counts too.
  function endWait(event) {
    if (!program || program.phase !== 'final-wait') {
      return false;
    }
    if (event) {
      event.preventDefault();
    }
    field.value = '';
    program.pressKey();
    return true;
  }

  // Every line goes to the program through here, checked as it goes in:
  // one that the program would read otherwise than the player meant stays
  // where it is, with a note that says why.
  function enterLine() {
    const refused = Entries.refusal(field.value);
    note(refused);
    if (!refused) {
      say('');
      program.enter([field.value]);
      putBack('');
      keepField();
      showActions();
    }
  }
  // A column (a paste, dropped text, a file) goes in whole or not at all,
  // against the levels the run has left. Typed text before the caret leads
  // the first row, and text after it follows the last; `open` when the
  // last row has no line end, and so waits in the field.
  function enterColumn(rows, open, intoField) {
    const before = intoField ? field.value.slice(0, field.selectionStart) : '';
    const after = intoField ? field.value.slice(field.selectionEnd) : '';
    rows[0] = before + rows[0];
    rows[rows.length - 1] += after;
    const plan = Entries.planColumn(rows, program.levelsLeft, open);
    note(plan.refused);
    if (plan.refused) {
      return;
    }
    say('');
    if (intoField) {
      putBack(open ? plan.field : after);
    }
    if (plan.lines.length > 0) {
      program.enter(plan.lines);
    }
    keepField();
    showActions();
  }
  function enterText(text, intoField) {
    const rows = Entries.rowsOf(text);
    if (rows.length > 1 || !intoField) {
      enterColumn(rows, rows[rows.length - 1] !== '', intoField);
      return true;
    }
    return false;
  }

  // Keys. A modifier or a lock pressed alone types nothing, so a tty would
  // not see it, and neither does the final wait. A shortcut (a key with
  // Ctrl, Command or Alt held: Ctrl+C to copy the report, Ctrl+P to print)
  // is the browser's, and so is Tab, which moves to Undo and the report,
  // and a key pressed on a button of the page's or in the report, where it
  // selects, copies or saves. AltGr types characters, and counts. A key
  // held down enters or presses nothing a second time.
  const SILENT_KEYS = ['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'OS',
    'Super', 'Hyper', 'CapsLock', 'NumLock', 'ScrollLock', 'Fn', 'FnLock',
    'Symbol', 'SymbolLock', 'Tab'];
  const isShortcut = (event) => (event.ctrlKey || event.metaKey || event.altKey) &&
    !(event.getModifierState && event.getModifierState('AltGraph'));
  document.addEventListener('keydown', (event) => {
    if (event.repeat && (event.key === 'Enter' || event.key === ' ')) {
      event.preventDefault();
    } else if (!event.repeat && !SILENT_KEYS.includes(event.key) && !isShortcut(event) &&
        !Report.contains(event.target) &&
        !(event.target instanceof Element && event.target.closest('button'))) {
      endWait(event);
    }
  }, true);
  field.addEventListener('input', (event) => {
    if (!endWait(event)) {
      keepField();
    }
  });
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (endWait(null) || field.disabled) {
      return;
    }
    enterLine();
    // A tap on the Enter button took the focus, and a phone's keyboard
    // with it; the next time goes into the field again.
    field.focus();
  });

  // A paste with a line end is a column; a row without one goes into the
  // field as typed, and is checked when it is entered. At the final wait a
  // paste is the key that ends it.
  field.addEventListener('paste', (event) => {
    if (endWait(event)) {
      return;
    }
    const data = event.clipboardData;
    const text = data ? data.getData('text/plain') : '';
    if (text === '' && data && Array.from(data.types).includes('text/html')) {
      event.preventDefault();
      note('Nothing was entered: the paste held no plain text to read. ' +
        'Copy the times as text, or paste them into a text editor first.');
    } else if (enterText(text, true)) {
      event.preventDefault();
    }
  });
  // Text dropped on the page goes in as a paste would; a dropped file of
  // times goes in as one column.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    if (field.disabled || program.phase === 'final-wait') {
      return;
    }
    const file = event.dataTransfer.files[0];
    if (file) {
      file.arrayBuffer().then((buffer) => {
        if (!field.disabled) {
          enterText(Entries.decodeFile(new Uint8Array(buffer)).replace(/\n?$/, '\n'), false);
        }
      });
    } else if (!enterText(event.dataTransfer.getData('text/plain'), true)) {
      field.setRangeText(event.dataTransfer.getData('text/plain'), field.selectionStart,
          field.selectionEnd, 'end');
      keepField();
    }
    field.focus();
  });

  window.addEventListener('beforeunload', (event) => {
    if (program && program.run.length > 0 && program.phase !== 'over') {
      event.preventDefault();
      event.returnValue = '';
    }
  });

  // Undo and Start over: a fresh program on what is left of the run.
  function restart(run, text) {
    note('');
    say('');
    begin(run, () => text);
  }

  // Undo takes back the last line the program read, and puts it in the
  // field to be corrected: the fresh program shows the run as if it had
  // never been entered. A pasted column goes back a row at a time. A field
  // the player has typed in keeps what was typed; the line taken back is
  // named instead.
  undoButton.addEventListener('click', () => {
    const run = program.run;
    const line = run[run.length - 1].pop();
    const left = run.filter((batch) => batch.length > 0);
    const named = line === '' ? 'an empty line' : `"${line}"`;
    const typed = field.value;
    if (typed === '') {
      putBack(line);
    }
    restart(left, `Took back the last line entered, ${named}; ` +
      (typed === '' ? 'it is in the field again.' : 'what you typed stays in the field.'));
  });

  // Start over asks on the page, not in a dialog a browser may suppress.
  startOverButton.addEventListener('click', () => {
    confirmBox.hidden = false;
    byId('keep-run').focus();
  });
  const closeConfirm = () => {
    confirmBox.hidden = true;
    field.focus();
  };
  byId('keep-run').addEventListener('click', closeConfirm);
  confirmBox.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') {
      closeConfirm();
    }
  });
  byId('clear-run').addEventListener('click', () => {
    confirmBox.hidden = true;
    putBack('');
    restart([], 'Started over at level 1.');
  });

  // Without WebAssembly the program cannot run at all: say so before
  // anything is typed.
  if (typeof WebAssembly !== 'object') {
    field.disabled = true;
    enterButton.disabled = true;
    byId('unsupported').hidden = false;
    return;
  }
  const restored = Entries.restore(storage);
  putBack(restored.text);
  begin(restored.run, restored.run.length === 0 ? () => '' :
    () => `Your run was brought back: ${Report.shown() ? 'all 42 times are in. ' +
      'Copy or save the report below.' : `${Entries.LEVELS - program.levelsLeft} of 42 times are in.`}`);
})();
