// The page around the program: the field and every way a line reaches it,
// the notes, Undo and Start over, and the one place where events are
// bound. The page never edits the transcript or works out a time, and owns
// no run: the program's console does (program.js), and the page keeps what
// it records in the tab, so that a run outlives a reload or a crash. To
// bring a run back, take a line back or start over, a fresh program is
// given the run and says all anew.
(() => {
  'use strict';
  const Entries = CogmarrowEntries;
  const Transcript = CogmarrowTranscript;
  const Report = CogmarrowReport;
  const byId = (id) => document.getElementById(id);
  const [form, field, undoButton, startOverButton, confirmBox, entryNote] =
    ['entry', 'line', 'undo', 'start-over', 'confirm', 'entry-note'].map(byId);
  const enterButton = form.querySelector('button');
  // A browser set to keep no site data may refuse even to hand storage out;
  // entries.js takes a missing storage as one that refuses every write.
  const storage = (() => {
    try {
      return window.sessionStorage;
    } catch {
      return null;
    }
  })();
  const say = (text) => Object.assign(byId('notice'), {textContent: text});
  const note = (text) => Object.assign(entryNote, {textContent: text, hidden: text === ''});
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

  // What the program's console tells, while it is the page's. At the end
  // the field is switched off, and a keyboard player goes on from the
  // report rather than from the top of the page; a run that is over is
  // kept no longer, so a reload starts a new one.
  const heard = {
    output: Transcript.output,
    echo: Transcript.echo,
    'caught-up': () => {
      Transcript.caughtUp();
      say(done());
      // WebKit puts a reloaded field's caret at its start.
      putBack(field.value);
      field.focus();
    },
    idle: () => {
      keepRun(program.run);
      showActions();
    },
    'final-wait': () => {
      putBack('');
      keepField();
      heard.idle();
    },
    report: ({name, bytes, fresh}) => {
      Report.offer(name, bytes, fresh);
      if (fresh) {
        say('Your browser was asked to save Results.txt; if none arrived, ' +
          'copy or save the report below.');
      }
    },
    ended: (phase) => {
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
    },
  };

  // A fresh program on `run`, replacing any other; `then` says what was
  // done, once the program has caught up with the run.
  function begin(run, then) {
    if (program) {
      program.replace();
    }
    note('');
    say('');
    Transcript.restart();
    Report.hide();
    byId('over').hidden = true;
    byId('stopped').hidden = true;
    field.disabled = false;
    enterButton.disabled = false;
    done = then;
    program = CogmarrowProgram.start(run, (event, detail) => heard[event](detail));
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
    event?.preventDefault();
    field.value = '';
    program.pressKey();
    return true;
  }

  // Lines go to the program through here, checked as they go in: a line
  // the program would read otherwise than the player meant stays where it
  // is, with a note that says why. A column (a paste, dropped text, a
  // file) goes in whole or not at all, against the levels the run has
  // left; in the field, text before the caret leads its first row, and text
  // after it follows the last, which waits in the field without a line end.
  function enter(lines, fieldText) {
    say('');
    if (lines.length > 0) {
      program.enter(lines);
    }
    putBack(fieldText);
    keepField();
    showActions();
  }
  function enterText(text, intoField) {
    const rows = Entries.rowsOf(text);
    if (rows.length === 1 && intoField) {
      field.setRangeText(text, field.selectionStart, field.selectionEnd, 'end');
      keepField();
      return;
    }
    const after = intoField ? field.value.slice(field.selectionEnd) : '';
    rows[0] = (intoField ? field.value.slice(0, field.selectionStart) : '') + rows[0];
    rows[rows.length - 1] += after;
    const open = rows[rows.length - 1] !== '';
    const plan = Entries.planColumn(rows, program.levelsLeft, open);
    note(plan.refused);
    if (!plan.refused) {
      enter(plan.lines, intoField ? (open ? plan.field : after) : field.value);
    }
  }

  // A modifier or a lock pressed alone types nothing, so a tty would not
  // see it, and neither does the final wait. A shortcut (Ctrl, Command or
  // Alt held: Ctrl+C to copy the report) is the browser's, and so are Tab
  // and a key on a button of the page's or in the report, where it selects,
  // copies or saves. AltGr types characters, and counts. A key held down
  // enters or presses nothing a second time.
  const SILENT_KEYS = ['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'OS', 'Super', 'Hyper',
    'CapsLock', 'NumLock', 'ScrollLock', 'Fn', 'FnLock', 'Symbol', 'SymbolLock', 'Tab'];
  const isShortcut = (event) => (event.ctrlKey || event.metaKey || event.altKey) &&
    !event.getModifierState?.('AltGraph');
  document.addEventListener('keydown', (event) => {
    if (event.repeat && (event.key === 'Enter' || event.key === ' ')) {
      event.preventDefault();
    } else if (!event.repeat && !SILENT_KEYS.includes(event.key) && !isShortcut(event) &&
        !Report.contains(event.target) && !event.target.closest?.('button')) {
      endWait(event);
    }
  }, true);
  field.addEventListener('input', (event) => endWait(event) || keepField());
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (endWait(null) || field.disabled) {
      return;
    }
    const refused = Entries.refusal(field.value);
    note(refused);
    if (!refused) {
      enter([field.value], '');
    }
    // A tap on the Enter button took the focus, and a phone's keyboard
    // with it; the next time goes into the field again.
    field.focus();
  });
  field.addEventListener('paste', (event) => {
    if (endWait(event) || !event.clipboardData) {
      return;
    }
    event.preventDefault();
    const text = event.clipboardData.getData('text/plain');
    if (text === '' && Array.from(event.clipboardData.types).includes('text/html')) {
      note('Nothing was entered: the paste held no plain text to read. ' +
        'Copy the times as text, or paste them into a text editor first.');
    } else {
      enterText(text, true);
    }
  });
  // Text dropped on the page goes in as a paste would; a dropped file of
  // times goes in as one column.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    const file = event.dataTransfer.files[0];
    if (field.disabled || program.phase === 'final-wait') {
      return;
    }
    if (file) {
      file.arrayBuffer().then((buffer) => field.disabled ||
        enterText(`${Entries.decodeFile(new Uint8Array(buffer))}\n`.replace(/\n\n$/, '\n')));
    } else {
      enterText(event.dataTransfer.getData('text/plain'), true);
    }
    field.focus();
  });
  window.addEventListener('beforeunload', (event) => {
    if (program?.run.length > 0 && program.phase !== 'over') {
      event.preventDefault();
      event.returnValue = '';
    }
  });

  // Undo takes back the last line the program read, and puts it in the
  // field to be corrected: the fresh program shows the run as if it had
  // never been entered. A pasted column goes back a row at a time. A field
  // the player has typed in keeps what was typed; the line is named.
  undoButton.addEventListener('click', () => {
    const run = program.run;
    const line = run[run.length - 1].pop();
    const named = line === '' ? 'an empty line' : `"${line}"`;
    const typed = field.value !== '';
    putBack(typed ? field.value : line);
    begin(run.filter((batch) => batch.length > 0), () => `Took back the last line entered, ` +
      `${named}; ${typed ? 'what you typed stays in the field.' : 'it is in the field again.'}`);
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
  confirmBox.addEventListener('keydown', (event) => event.key === 'Escape' && closeConfirm());
  byId('clear-run').addEventListener('click', () => {
    confirmBox.hidden = true;
    putBack('');
    begin([], () => 'Started over at level 1.');
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
  begin(restored.run, () => (restored.run.length === 0 ? '' : Report.shown() ?
    'Your run was brought back: all 42 times are in. Copy or save the report below.' :
    `Your run was brought back: ${42 - program.levelsLeft} of 42 times are in.`));
})();
