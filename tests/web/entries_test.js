// The page's entries without a browser: which pasted columns go in and
// why the others do not, the kept run read back only as the page wrote
// it, and lines taken back across pasted batches.
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
const NONE = {run: Entries.emptyRun(), text: '', held: []};
const times = Array.from({length: 42}, (_, i) => String(100 + i * 20));
const withRow5 = (row) => [...times.slice(0, 4), row, ...times.slice(5), ''];

test('a column the program would misread enters nothing, and says why', () => {
  for (const [rows, why] of [
    [withRow5('1015'), 'pasted row 5 ("1015") is above 999'],
    [withRow5('0056'), 'pasted row 5 ("0056") has more than three digits'],
    [withRow5('1 100'), 'pasted row 5 ("1 100") holds two numbers'],
    ...['1.10', '9.23', '1m10s', '1. 923', '56abc', '+56'].map((row) =>
      [withRow5(row), `pasted row 5 ("${row}") is not digits only`]),
    [withRow5('٩٢٣'), 'pasted row 5 ("٩٢٣") has a digit other than 0 to 9'],
    [withRow5('９２３'), 'pasted row 5 ("９２３") has a digit other than 0 to 9'],
    [['1\t56', '2\t923', ''], 'pasted row 1 ("1 56") has numbers in more than one column'],
    // The last row, which would wait in the field, counts too.
    [['56', '923', '9:23'], 'pasted row 3 ("9:23") is a clock time'],
    [['7', ...times, ''], 'the pasted column holds 43 times, but 42 levels are left'],
  ]) {
    assert.ok(Entries.planPaste(rows, 42).refused.startsWith(`Nothing was entered: ${why}`),
        JSON.stringify(rows));
  }
});

test('a plain column goes in; rows after the last level\'s time are left out', () => {
  for (const [rows, left, enter, toField, count] of [
    // Headers, empty rows, blanks and a spreadsheet's Tabs go in as typed.
    [['Time', '', ' 56\t', '\t', '923', ''], 42, 5, true, 2],
    [['56', '923', '007'], 42, 2, true, 2],
    // Past the last level: a total row, even a clock time, is never read.
    [[...times, '', 'Total\t6:34:06', ''], 42, 42, false, 42],
    [['56', '923'], 2, 1, true, 1],
  ]) {
    assert.deepEqual(Entries.planPaste(rows, left),
        {refused: '', enter, toField, times: count}, JSON.stringify(rows));
  }
});

test('Undo takes back a line at a time across batches; unread lines are dropped', () => {
  const run = Entries.emptyRun();
  Entries.add(run, 10, ['56']);
  Entries.add(run, 20, ['', '923', '']);
  assert.deepEqual([Entries.takeBack(run), Entries.takeBack(run)], ['', '923']);
  Entries.dropUnread(run, 1);
  assert.deepEqual(run.batches, [{at: 10, lines: ['56']}]);
});

test('the kept run comes back as written, and small whatever was pasted', () => {
  const tab = storage();
  const run = Entries.emptyRun();
  Entries.add(run, 500, ['56', ...Array(1048576).fill(''), '923']);
  Entries.add(run, 600, ['1 2']);
  assert.ok(Entries.keepRun(tab, run) && Entries.keepField(tab, '7', ['77']));
  assert.ok([...tab.items.values()].join('').length < 200, 'a column of empty rows kept whole');
  assert.deepEqual(Entries.kept(tab), {run, text: '7', held: ['77']});
  // A refused write says so, and forgetting leaves nothing half kept.
  assert.equal(Entries.keepRun(storage(true), run), false);
  Entries.forget(tab);
  assert.deepEqual(Entries.kept(tab), NONE);
});

test('a kept run the page did not write is refused whole', () => {
  const good = {at: 5, runs: [['56', 1]]};
  for (const [key, value] of [
    ['run', 'not json'],
    ['run', {batches: []}],
    ['run', [good, {at: 4, runs: [['56', 1]]}]],
    ['run', [{at: 5, runs: []}]],
    ['run', [{at: 5, runs: [['56\n923', 1]]}]],
    ['run', [{at: 5, runs: [['56', 0]]}]],
    ['run', [{at: 5, runs: [[56, 1]]}]],
    ['field', {text: '1\r2', held: []}],
    ['field', {text: '1', held: [7]}],
  ]) {
    const tab = storage();
    tab.setItem('cogmarrow-igt run v2', JSON.stringify([good]));
    tab.setItem('cogmarrow-igt field v2', JSON.stringify({text: '1', held: []}));
    tab.setItem(`cogmarrow-igt ${key} v2`, typeof value === 'string' ? value : JSON.stringify(value));
    assert.deepEqual([Entries.kept(tab), tab.items.size], [NONE, 0], JSON.stringify(value));
  }
});
