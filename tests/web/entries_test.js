// The page's entries without a browser: which pasted columns go in and
// why the others do not, the kept run read back only as the page wrote
// it, and lines taken back across pasted batches.
//
//   node --test tests/web/entries_test.js
'use strict';
const assert = require('assert/strict');
const {test} = require('node:test');
const Entries = require('../../web/entries.js');

// A fake tab storage, which can be made to refuse writes.
function storage(refuse = false) {
  const items = new Map();
  return {items, getItem: (k) => (items.has(k) ? items.get(k) : null),
    setItem: (k, v) => {
      if (refuse) {
        throw new Error('QuotaExceededError');
      }
      items.set(k, String(v));
    },
    removeItem: (k) => items.delete(k)};
}

const times42 = Array.from({length: 42}, (_, i) => String(100 + i * 20));
const withRow5 = (row) => [...times42.slice(0, 4), row, ...times42.slice(5), ''];

test('a column whose rows the program would misread enters nothing, and names the row', () => {
  for (const [rows, row, why] of [
    [withRow5('1015'), 5, 'is above 999'],
    [withRow5('0056'), 5, 'has more than three digits'],
    [withRow5('1 100'), 5, 'holds two numbers'],
    [withRow5('1.10'), 5, 'is not digits only'],
    [withRow5('9.23'), 5, 'is not digits only'],
    [withRow5('1m10s'), 5, 'is not digits only'],
    [withRow5('1. 923'), 5, 'is not digits only'],
    [withRow5('56abc'), 5, 'is not digits only'],
    [withRow5('+56'), 5, 'is not digits only'],
    [withRow5('٩٢٣'), 5, 'has a digit other than 0 to 9'],
    [withRow5('９２３'), 5, 'has a digit other than 0 to 9'],
    [withRow5('0:56'), 5, 'is a clock time'],
    [['1\t56', '2\t923', ''], 1, 'has numbers in more than one column'],
    // The last row, which would wait in the field, counts too.
    [['56', '923', '9:23'], 3, 'is a clock time'],
  ]) {
    const plan = Entries.planPaste(rows, 42);
    assert.match(plan.refused, new RegExp(`^Nothing was entered: pasted row ${row} \\(.*\\) ${why}`),
        JSON.stringify(rows[row - 1]));
  }
});

test('a column with more times than levels left enters nothing, and counts both', () => {
  assert.match(Entries.planPaste(['7', ...times42, ''], 42).refused,
      /holds 43 times, but 42 levels are left/);
  assert.match(Entries.planPaste(['56', '923', '1', ''], 2).refused,
      /holds 3 times, but 2 levels are left/);
});

test('a plain column goes in; rows after the last level\'s time are left out', () => {
  for (const [rows, left, enter, toField, times] of [
    // Headers, empty rows, blanks and a spreadsheet's Tabs go in as typed.
    [['Time', '', ' 56\t', '\t', '923', ''], 42, 5, true, 2],
    [['56', '923', '007'], 42, 2, true, 2],
    // Past the last level: a total row, even a clock time, is never read.
    [[...times42, '', 'Total\t6:34:06', ''], 42, 42, false, 42],
    [['56', '923', 'Total 1234'], 2, 2, false, 2],
    [['56', '923'], 2, 1, true, 1],
  ]) {
    assert.deepEqual(Entries.planPaste(rows, left), {refused: '', enter, toField, times},
        JSON.stringify(rows));
  }
});

test('Undo takes back a line at a time across batches; unread lines are dropped', () => {
  const run = Entries.emptyRun();
  Entries.add(run, 10, ['56']);
  Entries.add(run, 20, ['', '923', '']);
  assert.equal(Entries.takeBack(run), '');
  assert.equal(Entries.takeBack(run), '923');
  Entries.dropUnread(run, 1);
  assert.deepEqual(run.batches, [{at: 10, lines: ['56']}]);
  assert.equal(Entries.takeBack(run), '56');
  assert.deepEqual(run.batches, []);
});

test('the kept run comes back as written, and small whatever was pasted', () => {
  const tab = storage();
  const run = Entries.emptyRun();
  Entries.add(run, 500, ['56', ...Array(1048576).fill(''), '923']);
  Entries.add(run, 600, ['1 2']);
  assert.ok(Entries.keepRun(tab, run));
  assert.ok(Entries.keepField(tab, '7', ['77']));
  assert.ok([...tab.items.values()].join('').length < 200, 'a column of empty rows kept whole');
  assert.deepEqual(Entries.kept(tab), {run, text: '7', held: ['77']});
  // A refused write says so, and forgetting leaves nothing half kept.
  assert.equal(Entries.keepRun(storage(true), run), false);
  Entries.forget(tab);
  assert.deepEqual(Entries.kept(tab), {run: Entries.emptyRun(), text: '', held: []});
});

test('a kept run the page did not write is refused whole', () => {
  const good = {at: 5, runs: [['56', 1]]};
  for (const [name, value] of [
    ['cogmarrow-igt run v2', 'not json'],
    ['cogmarrow-igt run v2', JSON.stringify({batches: []})],
    ['cogmarrow-igt run v2', JSON.stringify([good, {at: 4, runs: [['56', 1]]}])],
    ['cogmarrow-igt run v2', JSON.stringify([{at: 5, runs: []}])],
    ['cogmarrow-igt run v2', JSON.stringify([{at: 5, runs: [['56\n923', 1]]}])],
    ['cogmarrow-igt run v2', JSON.stringify([{at: 5, runs: [['56', 0]]}])],
    ['cogmarrow-igt run v2', JSON.stringify([{at: 5, runs: [[56, 1]]}])],
    ['cogmarrow-igt field v2', JSON.stringify({text: '1\r2', held: []})],
    ['cogmarrow-igt field v2', JSON.stringify({text: '1', held: [7]})],
  ]) {
    const tab = storage();
    tab.setItem('cogmarrow-igt run v2', JSON.stringify([good]));
    tab.setItem('cogmarrow-igt field v2', JSON.stringify({text: '1', held: []}));
    tab.setItem(name, value);
    assert.deepEqual(Entries.kept(tab), {run: Entries.emptyRun(), text: '', held: []}, value);
    assert.equal(tab.items.size, 0, 'a refused run was left in the tab');
  }
});
