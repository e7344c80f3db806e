// The page's entries without a browser: which lines go in and why the
// others do not, typed or as a column's row; columns against the levels
// left; a dropped file read as text; the kept run read back only as the
// page wrote it.
//
//   node --test tests/web/entries_test.js
'use strict';
const assert = require('assert/strict');
const {test} = require('node:test');
const Entries = require('../../web/entries.js');

// A tab's storage, which can be made to refuse writes.
function storage(refuse = false) {
  const items = new Map();
  return {items, getItem: (k) => (items.has(k) ? items.get(k) : null),
    setItem: (k, v) => (refuse ? assert.fail('refused') : items.set(k, String(v))),
    removeItem: (k) => items.delete(k)};
}
const NONE = {run: [], text: ''};
const times = Array.from({length: 42}, (_, i) => String(100 + i * 20));
const withRow5 = (row) => [...times.slice(0, 4), row, ...times.slice(5), ''];

// Each line, and why it is refused ('' where it goes in): typed, and as
// row 5 of a column, it is judged alike.
const LINES = [
  ['56', ''], ['  7', ''], ['56abc', ''], ['56*', ''], ['56 s', ''], ['923\t', ''],
  ['', ''], ['abc', ''], ['-', ''],
  ['1015', 'is above 999: type 975 for 10:15'],
  ['2000', 'is above 999, the most one time holds'],
  ['0056', 'has 4 digits: type 56'],
  ['1:23', 'is a clock time: type 123 for 1:23'],
  ['11:00', 'is a clock time above 10:39'],
  ['6:34:06', 'is a clock time of an hour or more'],
  ['9.23', 'is not a whole number'],
  ['12 3', 'holds two numbers'], ['1m10s', 'holds two numbers'], ['1. 923', 'holds two numbers'],
  ['56\t1015\t923', 'has numbers in more than one cell'],
  ['+5', 'has a sign'], ['-5', 'has a sign'],
  ['x923', 'has text before its digits'],
  ['٩٢٣', 'has a digit other than 0 to 9'], ['９２３', 'has a digit other than 0 to 9'],
  ['\u00a056', 'has a no-break space in it'], ['\ufeff56', 'has a byte-order mark in it'],
  ['5\u200d6', 'has an invisible character (U+200D) in it'],
];

test('a line goes in only as the one time it was meant as', () => {
  for (const [line, why] of LINES) {
    const shown = `"${line.replace(/\t/g, ' ')}"`;
    assert.equal(Entries.refusal(line).startsWith(`Not entered: ${shown} ${why}`), why !== '',
        JSON.stringify(line));
    const plan = Entries.planColumn(withRow5(line), 42);
    assert.equal(plan.refused.startsWith(
        `Nothing was entered: row 5 of the column, ${shown}, ${why}`), why !== '',
    JSON.stringify(line));
  }
  // However long the row, its quote is cut.
  assert.match(Entries.refusal(`1 ${'x'.repeat(60)} 2`), /^Not entered: "1 x{38}…" holds two/);
});

test('a column goes in whole, without its rows that hold no time', () => {
  for (const [rows, left, open, lines, field] of [
    // Headers, empty rows and a sheet's Tabs cost nothing.
    [['Time', '', ' 56\t', '\t', '923', ''], 42, false, [' 56\t', '923'], ''],
    // Without a line end the last row waits in the field.
    [['56', '923', '007'], 42, true, ['56', '923'], '007'],
    [['56', 'by'], 42, true, ['56'], 'by'],
    // Past the last level: a total row, even a clock time, is never read.
    [[...times, '', 'Total\t6:34:06', ''], 42, false, times, ''],
    [['56', '923'], 2, true, ['56'], '923'],
    [['', '', ''], 0, false, [], ''],
  ]) {
    assert.deepEqual(Entries.planColumn(rows, left, open), {refused: '', lines, field},
        JSON.stringify(rows));
  }
  for (const [rows, left, why] of [
    [['7', ...times, ''], 42, 'the column holds 43 times, but 42 levels are left'],
    [['56', '923', ''], 1, 'the column holds 2 times, but 1 level is left'],
    // The last row, which would wait in the field, counts too.
    [['56', '923', '9:23'], 42, 'row 3 of the column, "9:23", is a clock time'],
  ]) {
    assert.ok(Entries.planColumn(rows, left, true).refused.startsWith(
        `Nothing was entered: ${why}`), JSON.stringify(rows));
  }
});

test('a file of times reads as the console programs read it', () => {
  const text = '56\r\n923\r\n';
  for (const bytes of [Buffer.from(text), Buffer.from(`\ufeff${text}`),
    Buffer.from(`\ufeff${text}`, 'utf16le'),
    Buffer.from(`\ufeff${text}`, 'utf16le').swap16()]) {
    assert.deepEqual(Entries.rowsOf(Entries.decodeFile(new Uint8Array(bytes))),
        ['56', '923', ''], bytes.toString('hex'));
  }
  assert.deepEqual(Entries.rowsOf('56\u2028923\r100\u0085'), ['56', '923', '100', '']);
});

test('the kept run comes back as written, and small whatever its size', () => {
  const tab = storage();
  const kept = Entries.keeper(() => tab, () => assert.fail('refused'));
  const run = [['56', ...Array(1000).fill('')], ['923']];
  kept.keepRun(run);
  kept.keepField('7');
  assert.ok([...tab.items.values()].join('').length < 100, 'repeated lines kept whole');
  assert.deepEqual(Entries.keeper(() => tab).restore(), {run, text: '7'});
  // A refused write is said once, as is a tab that hands out no storage;
  // forgetting leaves nothing half kept.
  for (const tabOf of [() => storage(true), () => assert.fail('no site data')]) {
    let said = 0;
    const keeper = Entries.keeper(tabOf, () => {
      said += 1;
    });
    keeper.keepRun(run);
    keeper.keepField('7');
    assert.equal(said, 1);
  }
  kept.forget();
  assert.deepEqual([Entries.keeper(() => tab).restore(), tab.items.size], [NONE, 0]);
});

test('a kept run the page did not write is refused whole', () => {
  const good = [['56', 1]];
  for (const [key, value] of [
    ['run', 'not json'],
    ['run', {batches: []}],
    ['run', [good, []]],
    ['run', [[['56\n923', 1]]]],
    ['run', [[['56', 0]]]],
    ['run', [[[56, 1]]]],
    // Lines the page would not have let in, and more times than levels.
    ['run', [[['1015', 1]]]],
    ['run', [[['56', 43]]]],
    ['field', '1\r2'],
  ]) {
    const tab = storage();
    tab.setItem('cogmarrow-igt run v3', JSON.stringify([good]));
    tab.setItem('cogmarrow-igt field v3', '1');
    tab.setItem(`cogmarrow-igt ${key} v3`, typeof value === 'string' ? value : JSON.stringify(value));
    assert.deepEqual([Entries.keeper(() => tab).restore(), tab.items.size], [NONE, 0],
        JSON.stringify(value));
  }
});
