// The page around the program: the field and every way a line reaches it,
// the notes, Undo and Start over, and the one place where events are bound.
// It edits no transcript, works out no time and owns no run: the program's
// console does, and the page keeps that run in the tab. To bring a run
// back, take a line back or start over, a fresh program is given the run.
(() => {
  'use strict';
  const Entries = CogmarrowEntries;
  const Transcript = CogmarrowTranscript;
  const Report = CogmarrowReport;
  const byId = (id) => document.getElementById(id);
  const [form, field, undoButton, startOverButton, confirmBox, entryNote] =
    ['entry', 'line', 'undo', 'start-over', 'confirm', 'entry-note'].map(byId);
  const enterButton = form.querySelector('button');
  const canEnter = (yes) => {
    field.disabled = enterButton.disabled = !yes;
  };
  const say = (text) => Object.assign(byId('notice'), {textContent: text});
  const note = (text) => Object.assign(entryNote, {textContent: text, hidden: text === ''});
  // Text the page puts in the field is to be typed on: the caret goes last.
  const putBack = (text) => {
    field.value = text;
    field.setSelectionRange(text.length, text.length);
  };

  const tab = Entries.keeper(() => window.sessionStorage, () => {
    byId('unkept').hidden = false;
  });
  const keepField = () => tab.keepField(field.value);

  let program = null;
  let done = () => '';
  // Undo and Start over work on lines read, once the program waits.
  function showActions() {
    undoButton.disabled = !program.idle || program.run.length === 0;
    startOverButton.disabled = undoButton.disabled;
    confirmBox.hidden = confirmBox.hidden || startOverButton.disabled;
  }

  // What the program's console tells, while it is the page's. At the end a
  // keyboard player goes on from the report, not the top of the page; a
  // run that is over is kept no longer, so a reload starts a new one.
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
      tab.keepRun(program.run);
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
      canEnter(false);
      byId(phase).hidden = false;
      if (phase === 'over') {
        field.value = '';
        Transcript.clearAsked();
        tab.forget();
      }
      showActions();
      if (hadFocus && Report.shown()) {
        Report.focus();
      }
    },
  };

  // A fresh program on `run`, replacing any other; `then` makes what is
  // said once it has caught up with the run.
  function begin(run, then) {
    if (program) {
      program.replace();
    }
    note('');
    say('');
    Transcript.restart();
    Report.hide();
    byId('over').hidden = byId('stopped').hidden = true;
    canEnter(true);
    done = then;
    program = CogmarrowProgram.start(run, (event, detail) => heard[event](detail));
    tab.keepRun(run);
    keepField();
    showActions();
  }

  // One key ends the final wait: on a phone's keyboard that may come as
  // typed text rather than a key press, and the Enter button counts too.
  function endWait(event) {
    const waiting = program?.phase === 'final-wait';
    if (waiting) {
      event?.preventDefault();
      field.value = '';
      program.pressKey();
    }
    return waiting;
  }

  // Lines reach the program only through here, checked as they go in (a
  // refused one stays, with a note that says why); a column against the
  // levels the run has left. In the field, text before the caret leads a
  // column's first row, and text after it follows the last.
  function enter(lines, fieldText) {
    say('');
    program.enter(lines);
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

  // A modifier or a lock alone types nothing, so the final wait does not
  // see it. A shortcut (Ctrl+C to copy the report), Tab, and a key on a
  // button or in the report are the browser's; AltGr types, and counts. A
  // key held down enters or presses nothing a second time.
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
    // A tap on Enter took the focus, and a phone's keyboard: give it back.
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
  // Dropped text goes in as a paste would; a dropped file as one column.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    const file = event.dataTransfer.files[0];
    if (field.disabled || program.phase === 'final-wait') {
      return;
    }
    if (file) {
      file.arrayBuffer().then((buffer) => field.disabled ||
        enterText(`${Entries.decodeFile(new Uint8Array(buffer))}\n`));
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

  // Undo takes back the last line read, a column's a row at a time, and
  // puts it in the field to be corrected, unless the player has typed
  // there; the fresh program shows the run as if it had never gone in.
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

  // Without WebAssembly the program cannot run at all: say so at once.
  if (typeof WebAssembly !== 'object') {
    canEnter(false);
    byId('unsupported').hidden = false;
    return;
  }
  const restored = tab.restore();
  putBack(restored.text);
  begin(restored.run, () => (restored.run.length === 0 ? '' : Report.shown() ?
    'Your run was brought back: all 42 times are in. Copy or save the report below.' :
    `Your run was brought back: ${Entries.LEVELS - program.levelsLeft} of 42 times are in.`));
})();
