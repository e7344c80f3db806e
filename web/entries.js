// What the player enters, with no page around it: the one check every line
// passes on its way to the program, columns checked row by row, a dropped
// file read as text, and the run kept in the tab. Node.js loads it too.
const CogmarrowEntries = (() => {
  'use strict';
  const LEVELS = 42;

  // The program reads loosely: `1015` is read past, `1:23` counts as 0:01,
  // `12 3` answers two levels. On the page a line it would read otherwise
  // than meant goes no further, as it would move every later level unseen:
  // a line with a digit goes in only as blanks, one to three digits 0 to 9,
  // then nothing with a digit (a split key's text). One without a digit
  // enters no time, and goes in as it is.
  const ANY_DIGIT = /\p{Nd}/u;
  const TIME_LINE = /^[ \t]*[0-9]{1,3}\P{Nd}*$/u;
  const INVISIBLE = {'\u00a0': 'a no-break space', '\ufeff': 'a byte-order mark',
    '\u200b': 'a zero-width space', '\u2007': 'a figure space', '\u202f': 'a narrow no-break space'};

  const holdsTime = (line) => ANY_DIGIT.test(line);
  const goesIn = (line) => !holdsTime(line) || TIME_LINE.test(line);

  // What to type for minutes:seconds, if one time holds it: 10:15 is 975,
  // as the minutes digit holds 9 at most and the seconds carry the rest.
  function typedAs(minutes, seconds, otherwise) {
    const total = minutes * 60 + seconds;
    const entry = total >= 540 ? 900 + total - 540 : Math.floor(total / 60) * 100 + total % 60;
    return seconds > 59 ? '' : total > 639 ? otherwise :
      `: type ${entry} for ${minutes}:${String(seconds).padStart(2, '0')}`;
  }

  // Why a line with a digit does not go in, and what to type instead.
  function whyRefused(line) {
    const hidden = [...line.replace(/\P{Nd}*$/u, '')].find((c) => /[\p{Cf}\p{Z}]/u.test(c) && c !== ' ');
    const lead = line.slice(0, line.search(ANY_DIGIT)).replace(/^[ \t]+/, '');
    const clock = /([0-9]+)[ \t]*:[ \t]*([0-9]{2})(?![0-9])/.exec(line);
    const digits = /^[ \t]*([0-9]{4,})/.exec(line);
    const most = ', the most one time holds';
    if (/[^\P{Nd}0-9]/u.test(line)) {
      return 'has a digit other than 0 to 9, which the program cannot read';
    } else if (hidden) {
      return `has ${INVISIBLE[hidden] || `an invisible character (U+${hidden.codePointAt(0)
        .toString(16).toUpperCase().padStart(4, '0')})`} in it`;
    } else if (/[+-]$/.test(lead)) {
      return 'has a sign: type the digits alone';
    } else if (lead !== '') {
      return 'has text before its digits, so the program would skip the whole line';
    } else if (clock) {
      return /:[ \t]*[0-9]+[ \t]*:/.test(line) ? 'is a clock time of an hour or more' :
        `is a clock time${typedAs(Number(clock[1]), Number(clock[2]), ` above 10:39${most}`)}`;
    } else if (digits) {
      const value = Number(digits[1]);
      return value > 999 ? `is above 999${typedAs(Math.floor(value / 100), value % 100, most)}` :
        `has ${digits[1].length} digits: type ${value}`;
    } else if (/^[ \t]*[0-9]+\.[0-9]/.test(line)) {
      return 'is not a whole number';
    }
    return /[0-9][^\t]*\t.*[0-9]/.test(line) ? 'has numbers in more than one cell' :
      'holds two numbers: enter one level at a time';
  }

  const ADVICE = ' Type 1 to 3 digits: 56 for 0:56, 923 for 9:23, 975 for 10:15.';
  const quote = (line) => `"${(line.length > 40 ? `${line.slice(0, 40)}…` : line)
    .replace(/\t/g, ' ')}"`;
  // The note for a refused line, or '' for one that goes in.
  const refusal = (line) => (goesIn(line) ? '' :
    `Not entered: ${quote(line)} ${whyRefused(line)}.${ADVICE}`);

  const rowsOf = (text) => text.split(/\r\n|[\r\n\u0085\u2028\u2029]/);

  // A column (a paste, dropped text, a file) goes in unseen, so whole or
  // not at all: each row with a digit one time, and no more times than
  // levels are left. Rows without a digit are not entered (a header, the
  // million empty rows of a sheet column), nor rows after the last level's
  // time, which are never read, unless one is another time. Without a line
  // end (`open`) the last row waits in the field, unless it is past the
  // last level. Returns the note that refuses it, or the lines to enter.
  function planColumn(rows, levelsLeft, open = false) {
    const taken = [];
    let times = 0;
    let refused = '';
    rows.forEach((row, i) => {
      if (TIME_LINE.test(row)) {
        taken.push(...(++times <= levelsLeft ? [i] : []));
      } else if (holdsTime(row) && times < levelsLeft && !refused) {
        refused = `row ${i + 1} of the column, ${quote(row)}, ${whyRefused(row)}`;
      }
    });
    if (!refused && times > levelsLeft) {
      refused = `the column holds ${times} times, but ${levelsLeft} ` +
        `${levelsLeft === 1 ? 'level is' : 'levels are'} left to enter`;
    }
    if (refused) {
      return {refused: `Nothing was entered: ${refused}.${ADVICE}`};
    }
    const last = rows.length - 1;
    const waits = open && (!holdsTime(rows[last]) || taken[taken.length - 1] === last);
    if (waits && holdsTime(rows[last])) {
      taken.pop();
    }
    return {refused: '', lines: taken.map((i) => rows[i]), field: waits ? rows[last] : ''};
  }

  // A file of times as the console reads one: UTF-8, or UTF-16 with a mark.
  function decodeFile(bytes) {
    const encoding = bytes[0] === 0xff && bytes[1] === 0xfe ? 'utf-16le' :
      bytes[0] === 0xfe && bytes[1] === 0xff ? 'utf-16be' : 'utf-8';
    return new TextDecoder(encoding).decode(bytes);
  }

  // Kept in the tab: the run under one key, the field's text under another,
  // so that a key press writes a few bytes; repeated lines once, counted.
  const RUN_KEY = 'cogmarrow-igt run v3';
  const FIELD_KEY = 'cogmarrow-igt field v3';

  const encodeRun = (run) => JSON.stringify(run.map((batch) => batch.reduce((runs, line) => {
    const last = runs[runs.length - 1];
    if (last?.[0] === line) {
      last[1] += 1;
    } else {
      runs.push([line, 1]);
    }
    return runs;
  }, [])));
  const isLine = (value) => typeof value === 'string' && !/[\r\n]/.test(value) && goesIn(value);
  const isCount = (value) => Number.isSafeInteger(value) && value >= 1 && value <= 1 << 20;
  // Read as this page wrote it, or not at all: each line one the check lets
  // in, and no more times than there are levels.
  function decodeRun(text) {
    const runs = JSON.parse(text);
    if (!Array.isArray(runs) || !runs.every((batch) => Array.isArray(batch) && batch.length > 0 &&
        batch.every((r) => Array.isArray(r) && r.length === 2 && isLine(r[0]) && isCount(r[1])))) {
      return null;
    }
    const run = runs.map((batch) => batch.flatMap(([line, count]) => Array(count).fill(line)));
    return run.flat().filter(holdsTime).length <= LEVELS ? run : null;
  }

  // The tab's storage for a page, from `storage()`, which may throw (a
  // browser that keeps no site data). A write refused (a full storage) is
  // said once, by `refused()`, and then nothing is kept at all, so that a
  // reload cannot bring back a part of a run as if it were whole.
  class Keeper {
    constructor(storage, refused) {
      try {
        this.tab = storage();
      } catch {
        this.tab = null;
      }
      Object.assign(this, {refused, keeping: true});
    }
    // Keeps `text` under `key`, or removes the key where `text` is null.
    write(key, text) {
      try {
        if (text === null) {
          this.tab.removeItem(key);
        } else if (this.keeping) {
          this.tab.setItem(key, text);
        }
      } catch {
        if (this.keeping) {
          this.keeping = false;
          this.forget();
          this.refused();
        }
      }
    }
    keepRun(run) { this.write(RUN_KEY, run.length === 0 ? null : encodeRun(run)); }
    keepField(text) { this.write(FIELD_KEY, text === '' ? null : text); }
    forget() { [RUN_KEY, FIELD_KEY].forEach((key) => this.write(key, null)); }
    // The run and the field's text as the tab kept them, or a new run.
    restore() {
      try {
        const run = decodeRun(this.tab.getItem(RUN_KEY) ?? '[]');
        const text = this.tab.getItem(FIELD_KEY) ?? '';
        if (run && !/[\r\n]/.test(text)) {
          return {run, text};
        }
      } catch {
        // Nothing kept that can be read: a new run.
      }
      this.forget();
      return {run: [], text: ''};
    }
  }

  return {LEVELS, holdsTime, refusal, rowsOf, planColumn, decodeFile,
    keeper: (storage, refused) => new Keeper(storage, refused)};
})();

if (typeof module === 'object') {
  module.exports = CogmarrowEntries;
}
