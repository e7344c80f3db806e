// What the player entered, with no page around it: whether a pasted column
// would be read as the player meant it, the run kept in the tab, and taking
// a line back. The page and the Node.js tests both load this file.
//
// A run is the lines the program has read, in the batches they were entered
// in (a paste is one), each batch with `at`, how many bytes the program had
// written when it went in: that is where its echo stands in the transcript.
var CogmarrowEntries = (function () {
  'use strict';
  var LEVELS = 42;

  // A pasted column goes in unseen, row after row, so each row that holds a
  // digit must be read by the program as the one time the player meant: a
  // whole number of one to three digits 0 to 9, with blanks around it at
  // most. Rows without a digit (a header, an empty cell) enter no time and
  // go in as typed. The program stops reading at the last level, so rows
  // after the time for it are never read and need not be right, unless one
  // of them is another time: then the column does not fit the levels left.
  var ANY_DIGIT = /\p{Nd}/u;
  var TIME_ROW = /^[ \t]*[0-9]{1,3}[ \t]*$/;

  function rowsOf(text) {
    return text.split(/\r\n|\r|\n/);
  }

  function whyMisread(row) {
    var numbers = row.split(/[ \t]+/).filter(function (word) {
      return ANY_DIGIT.test(word);
    });
    if (/[^0-9]/.test(row.replace(/\P{Nd}/gu, ''))) {
      return 'has a digit other than 0 to 9, which the program cannot read';
    }
    if (/[0-9]:[0-9]/.test(row)) {
      return 'is a clock time';
    }
    if (row.split('\t').filter(function (cell) { return ANY_DIGIT.test(cell); }).length > 1) {
      return 'has numbers in more than one column';
    }
    if (!numbers.every(function (word) { return /^[0-9]+$/.test(word); })) {
      return 'is not digits only';
    }
    if (numbers.length > 1) {
      return 'holds two numbers';
    }
    if (numbers[0].length > 3) {
      return Number(numbers[0]) > 999 ? 'is above 999, the most one entry holds' :
        'has more than three digits';
    }
    return 'is not digits only';
  }

  var ADVICE = ' Paste one column of digits only: 56 for 0:56, 923 for 9:23, 975 for 10:15.';

  // `rows` as they would go in: the first with what was typed before the
  // caret, the last with what was after it; the last stays in the field.
  // Says what to enter: nothing, with `refused` saying why, or the first
  // `enter` rows, holding `times` times, and whether the last row still
  // goes to the field.
  function planPaste(rows, levelsLeft) {
    var times = 0;
    var lastLevel = -1;
    for (var i = 0; i < rows.length; ++i) {
      if (TIME_ROW.test(rows[i])) {
        times += 1;
        if (times === levelsLeft) {
          lastLevel = i;
        }
      } else if (lastLevel < 0 && ANY_DIGIT.test(rows[i])) {
        var shown = rows[i].length > 40 ? rows[i].slice(0, 40) + '…' : rows[i];
        return {refused: 'Nothing was entered: pasted row ' + (i + 1) + ' ("' +
          shown.replace(/\t/g, ' ') + '") ' + whyMisread(rows[i]) + '.' + ADVICE};
      }
    }
    if (times > levelsLeft) {
      return {refused: 'Nothing was entered: the pasted column holds ' + times +
        ' times, but ' + levelsLeft + (levelsLeft === 1 ? ' level is' : ' levels are') +
        ' left to enter.' + ADVICE};
    }
    // Past a cut there is no other time; without one, a time in the last
    // row stays in the field.
    var last = rows.length - 1;
    var cut = lastLevel >= 0 && lastLevel < last;
    return {refused: '', enter: cut ? lastLevel + 1 : last, toField: !cut,
      times: cut || !TIME_ROW.test(rows[last]) ? times : times - 1};
  }

  function emptyRun() {
    return {batches: []};
  }
  function add(run, at, lines) {
    run.batches.push({at: at, lines: lines.slice()});
  }
  // Takes back the last line and returns it; a pasted column goes back a
  // row at a time.
  function takeBack(run) {
    var last = run.batches[run.batches.length - 1];
    var line = last.lines.pop();
    if (last.lines.length === 0) {
      run.batches.pop();
    }
    return line;
  }
  // Lines the program never read (entered behind the last level's time)
  // are not part of the run.
  function dropUnread(run, count) {
    for (var left = count; left > 0 && run.batches.length > 0; --left) {
      takeBack(run);
    }
  }

  // Kept in the tab: the run under one key, the field's text (and the
  // texts an Undo set aside) under another, so that a key press writes a
  // few bytes and not the whole run. Repeated lines, as a spreadsheet's
  // empty rows are, are kept once with their count.
  var RUN_KEY = 'cogmarrow-igt run v2';
  var FIELD_KEY = 'cogmarrow-igt field v2';

  function encodeRun(run) {
    return JSON.stringify(run.batches.map(function (batch) {
      var runs = [];
      batch.lines.forEach(function (line) {
        var last = runs[runs.length - 1];
        if (last && last[0] === line) {
          last[1] += 1;
        } else {
          runs.push([line, 1]);
        }
      });
      return {at: batch.at, runs: runs};
    }));
  }
  function isCount(value, least) {
    return Number.isSafeInteger(value) && value >= least;
  }
  function isLine(value) {
    return typeof value === 'string' && !/[\r\n]/.test(value);
  }
  // What the tab holds is read as this page wrote it, or not at all.
  function decodeRun(text) {
    var batches = JSON.parse(text);
    var at = 0;
    var fits = Array.isArray(batches) && batches.every(function (batch) {
      var ok = batch !== null && isCount(batch.at, at) && Array.isArray(batch.runs) &&
        batch.runs.length > 0 && batch.runs.every(function (run) {
          return Array.isArray(run) && run.length === 2 && isLine(run[0]) && isCount(run[1], 1);
        });
      at = ok ? batch.at : at;
      return ok;
    });
    if (!fits) {
      return null;
    }
    return {batches: batches.map(function (batch) {
      var lines = [];
      batch.runs.forEach(function (run) {
        for (var i = 0; i < run[1]; ++i) {
          lines.push(run[0]);
        }
      });
      return {at: batch.at, lines: lines};
    })};
  }

  // Keeps what `text()` makes under `key`, or removes the key where `text`
  // is null: nothing to keep. A write that throws (a full or refused
  // storage) says so by returning false.
  function store(storage, key, text) {
    try {
      if (text) {
        storage.setItem(key, text());
      } else {
        storage.removeItem(key);
      }
      return true;
    } catch {
      return false;
    }
  }
  function keepRun(storage, run) {
    return store(storage, RUN_KEY, run.batches.length === 0 ? null :
      function () { return encodeRun(run); });
  }
  function keepField(storage, text, held) {
    return store(storage, FIELD_KEY, text === '' && held.length === 0 ? null :
      function () { return JSON.stringify({text: text, held: held}); });
  }
  // A run that cannot be kept whole is not kept at all, so that a reload
  // never brings back part of it as if it were all. Storage that refuses
  // even this holds nothing to forget.
  function forget(storage) {
    store(storage, RUN_KEY, null);
    store(storage, FIELD_KEY, null);
  }
  function kept(storage) {
    var none = {run: emptyRun(), text: '', held: []};
    try {
      var runText = storage.getItem(RUN_KEY);
      var run = runText === null ? emptyRun() : decodeRun(runText);
      var fieldText = storage.getItem(FIELD_KEY);
      var field = fieldText === null ? {text: '', held: []} : JSON.parse(fieldText);
      if (run && field !== null && isLine(field.text) && Array.isArray(field.held) &&
          field.held.every(isLine)) {
        return {run: run, text: field.text, held: field.held};
      }
    } catch {
      // Nothing kept that can be read: a new run.
    }
    forget(storage);
    return none;
  }

  return {LEVELS: LEVELS, rowsOf: rowsOf, planPaste: planPaste, emptyRun: emptyRun,
    add: add, takeBack: takeBack, dropUnread: dropUnread,
    keepRun: keepRun, keepField: keepField, forget: forget, kept: kept};
})();

if (typeof module === 'object') {
  module.exports = CogmarrowEntries;
}
