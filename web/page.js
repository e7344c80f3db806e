// The page around the program: the field and its keys, the notices, Undo
// and Start over. The page never edits the transcript or works out a time.
// The lines the program read are kept in the tab (entries.js), so that a
// run outlives a reload or a crash: to bring it back, take a line back or
// start over, a fresh program is given the kept lines and says all anew.
(function () {
  'use strict';
  var Entries = CogmarrowEntries;
  var Transcript = CogmarrowTranscript;
  var Report = CogmarrowReport;
  function byId(id) {
    return document.getElementById(id);
  }
  var form = byId('entry');
  var field = byId('line');
  var enterButton = form.querySelector('button');
  var undoButton = byId('undo');
  var startOverButton = byId('start-over');
  var confirmBox = byId('confirm');
  var pasteNote = byId('paste-note');
  // A browser set to keep no site data may refuse even to hand storage out.
  var storage = null;
  try {
    storage = window.sessionStorage;
  } catch {
    // Nothing can be kept; entries.js takes a missing storage as a refusal.
  }

  function say(text) {
    byId('notice').textContent = text;
  }
  function notePaste(text) {
    pasteNote.textContent = text;
    pasteNote.hidden = text === '';
  }
  // Text the page puts in the field is to be typed on: the caret goes last.
  function putBack(text) {
    field.value = text;
    field.setSelectionRange(text.length, text.length);
  }

  // The run: the lines the program read, kept in the tab as the program
  // comes to ask for more; what is in the field, with the texts that an
  // Undo set aside for after the line it put back, kept apart on each key.
  // Storage that refuses a write is said once, and the run is then not kept
  // at all, so that a reload cannot bring back a part as if it were whole.
  var run = Entries.emptyRun();
  var held = [];
  var keeping = true;
  function unkept() {
    keeping = false;
    Entries.forget(storage);
    byId('unkept').hidden = false;
  }
  function keepRun() {
    if (keeping && !Entries.keepRun(storage, run)) {
      unkept();
    }
  }
  function keepField() {
    if (keeping && !Entries.keepField(storage, field.value, held)) {
      unkept();
    }
  }

  var program = null;
  // The program reads a paste at once, unless another came in the same
  // task (a paste in pieces): the times of those count as entered.
  var timesGoingIn = 0;
  // Undo and Start over have lines to work on from the first one read until
  // the run is over, once the program is waiting for the player.
  function showActions() {
    undoButton.disabled = program === null || !program.idle || run.batches.length === 0;
    startOverButton.disabled = undoButton.disabled;
    confirmBox.hidden = confirmBox.hidden || startOverButton.disabled;
  }

  // The field is switched off at the end; a keyboard player goes on from
  // the report, if there is one, rather than from the top of the page. A
  // run that is over is kept no longer: a reload starts a new one.
  function ended(phase) {
    var hadFocus = document.activeElement === field;
    field.disabled = true;
    enterButton.disabled = true;
    byId(phase).hidden = false;
    if (phase === 'over') {
      run = Entries.emptyRun();
      held = [];
      field.value = '';
      Transcript.over();
      keepRun();
      keepField();
    }
    showActions();
    if (hadFocus && Report.shown()) {
      Report.focus();
    }
  }

  // A fresh program on the run as it stands, replacing any other; `done`
  // says what was done once the program has caught up with the run.
  function begin(done) {
    if (program) {
      program.replace();
    }
    Transcript.restart();
    Report.hide();
    timesGoingIn = 0;
    ['over', 'stopped'].forEach(function (id) { byId(id).hidden = true; });
    field.disabled = false;
    enterButton.disabled = false;
    program = CogmarrowProgram.start(run.batches, {
      output: Transcript.output,
      echo: Transcript.echo,
      entered: function (at, lines) { Entries.add(run, at, lines); },
      caughtUp: function () {
        Transcript.caughtUp();
        if (done) {
          say(done());
        }
        // WebKit puts a reloaded field's caret at its start.
        putBack(field.value);
        field.focus();
      },
      idle: function () {
        timesGoingIn = 0;
        keepRun();
        showActions();
      },
      finalWait: function (unread) {
        Entries.dropUnread(run, unread);
        keepRun();
        held = [];
        field.value = '';
        keepField();
        showActions();
      },
      // A report that a kept run made again was offered the first time.
      report: function (name, bytes, fresh) {
        Report.offer(name, bytes, fresh);
        if (fresh) {
          say('Your browser was asked to save Results.txt; if none arrived, ' +
            'copy or save the report below.');
        }
      },
      ended: ended
    });
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
  // A modifier or a lock pressed alone types nothing, so a tty would not
  // see it, and neither does the final wait. A shortcut (a key with Ctrl,
  // Command or Alt held: Ctrl+C to copy the report, Ctrl+P to print) is the
  // browser's, and so is Tab, which moves to Undo and the report, and a key
  // pressed on a button of the page's or in the report, where it selects,
  // copies or saves. AltGr types characters, and counts.
  var SILENT_KEYS = ['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'OS',
    'Super', 'Hyper', 'CapsLock', 'NumLock', 'ScrollLock', 'Fn', 'FnLock',
    'Symbol', 'SymbolLock', 'Tab'];
  function isShortcut(event) {
    return (event.ctrlKey || event.metaKey || event.altKey) &&
      !(event.getModifierState && event.getModifierState('AltGraph'));
  }
  document.addEventListener('keydown', function (event) {
    if (SILENT_KEYS.indexOf(event.key) < 0 && !isShortcut(event) &&
        !Report.contains(event.target) && event.target.type !== 'button') {
      endWait(event);
    }
  });
  field.addEventListener('input', function (event) {
    if (!endWait(event)) {
      keepField();
    }
  });

  // Lines the player enters go to the program; what an Undo set aside comes
  // back to the field once the line it made way for is in.
  function enter(lines, rest) {
    notePaste('');
    say('');
    putBack(rest === undefined ? held.pop() || '' : rest);
    program.enter(lines);
    keepField();
    showActions();
  }
  form.addEventListener('submit', function (event) {
    event.preventDefault();
    if (endWait(null) || field.disabled) {
      return;
    }
    enter([field.value]);
    // A tap on the Enter button took the focus, and a phone's keyboard
    // with it; the next time goes into the field again.
    field.focus();
  });

  // A pasted column (from a spreadsheet, say) is entered row by row, as in
  // a terminal; text after the last line end stays in the field. It goes in
  // unseen, so it goes in only if each row is read as the player meant
  // (entries.js). At the final wait a paste is the key that ends it.
  field.addEventListener('paste', function (event) {
    if (endWait(event)) {
      return;
    }
    var text = event.clipboardData && event.clipboardData.getData('text');
    var rows = text ? Entries.rowsOf(text) : [];
    if (rows.length < 2) {
      return;
    }
    event.preventDefault();
    // What was typed before the caret leads the first row, and what was
    // after it follows the last.
    var after = field.value.slice(field.selectionEnd);
    rows[0] = field.value.slice(0, field.selectionStart) + rows[0];
    rows[rows.length - 1] += after;
    var left = Entries.LEVELS + 1 - Transcript.prompts() - timesGoingIn;
    var plan = Entries.planPaste(rows, left);
    if (plan.refused) {
      notePaste(plan.refused);
      return;
    }
    timesGoingIn += plan.times;
    enter(rows.slice(0, plan.enter), plan.toField ? rows[rows.length - 1] : after);
  });

  window.addEventListener('beforeunload', function (event) {
    if (run.batches.length > 0 && program && program.phase !== 'over') {
      event.preventDefault();
      event.returnValue = '';
    }
  });

  // Undo and Start over: `text` in the field, and a fresh program.
  function restart(text, done) {
    putBack(text);
    keepRun();
    keepField();
    notePaste('');
    say('');
    begin(done);
  }

  // Undo takes back the last line the program read, and puts it in the
  // field to be corrected: the fresh program shows the run as if it had
  // never been entered. A pasted column goes back a row at a time. What
  // the player had typed and not entered is set aside, and comes back once
  // the line taken back is entered again.
  undoButton.addEventListener('click', function () {
    var line = Entries.takeBack(run);
    var typed = field.value;
    if (typed !== '') {
      held.push(typed);
    }
    restart(line, function () {
      return 'Took back the last line entered, ' + (line === '' ? 'an empty line' :
        '"' + line + '"') + '; it is in the field again.' + (typed === '' ? '' :
        ' What you had typed, "' + typed + '", comes back once it is entered.');
    });
  });

  // Start over asks on the page, not in a dialog a browser may suppress.
  startOverButton.addEventListener('click', function () {
    confirmBox.hidden = false;
    byId('keep-run').focus();
  });
  function closeConfirm() {
    confirmBox.hidden = true;
    field.focus();
  }
  byId('keep-run').addEventListener('click', closeConfirm);
  confirmBox.addEventListener('keydown', function (event) {
    if (event.key === 'Escape') {
      closeConfirm();
    }
  });
  byId('clear-run').addEventListener('click', function () {
    confirmBox.hidden = true;
    run = Entries.emptyRun();
    held = [];
    restart('', function () { return 'Started over at level 1.'; });
  });

  // Without WebAssembly the program cannot run at all: say so before
  // anything is typed.
  if (typeof WebAssembly !== 'object') {
    field.disabled = true;
    enterButton.disabled = true;
    byId('unsupported').hidden = false;
    return;
  }
  var restored = Entries.kept(storage);
  run = restored.run;
  held = restored.held;
  putBack(restored.text);
  keepField();
  begin(run.batches.length === 0 ? null : function () {
    return 'Your run was brought back: ' + (Report.shown() ? 'all 42 times are in. ' +
      'Copy or save the report below.' : Transcript.prompts() - 1 + ' of 42 times are in.');
  });
})();
