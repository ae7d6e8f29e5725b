// SPDX-License-Identifier: GPL-3.0-or-later
// The page's touch gestures in node: finger records in, gestures out, with
// the edge cases a real hand makes; the browser test's touch calls played
// back through the recognizer; and the element's listeners with a stand-in
// clock.
//   node --test tests/web/touch.test.mjs

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { GestureRecognizer, attachGestures, gestureTouches, kGestureHelp } from '../../web/js/touch.js';

// Plays records ([type, id, x, y, t] or ['tick', t]) in time order (a tick
// before a record of its time) and gives each gesture as name@t, t being the
// time of the record or tick that made it.
function play(records, shortSide = 400) {
  const said = [];
  let now = 0;
  const r = new GestureRecognizer({ onGesture: (name) => said.push(`${name}@${now}`), shortSide });
  const at = ([type, ...rest]) => (type === 'tick' ? rest[0] : rest[3]);
  for (const [type, ...rest] of [...records].sort((a, b) => at(a) - at(b))) {
    if (type === 'tick') {
      now = rest[0];
      r.tick(now);
    } else {
      const [id, x, y, t] = rest;
      now = t;
      r.feed({ type, id, x, y, t });
    }
  }
  return said;
}

// One finger from (x0, y0) by (dx, dy) in `steps` moves over `ms`.
function drag(id, x0, y0, dx, dy, t0, ms, steps = 4) {
  return [
    ['down', id, x0, y0, t0],
    ...Array.from({ length: steps }, (_, k) => ['move', id, x0 + (dx * (k + 1)) / steps, y0 + (dy * (k + 1)) / steps, t0 + (ms * (k + 1)) / steps]),
    ['up', id, x0 + dx, y0 + dy, t0 + ms],
  ];
}
const tap = (id, t0, x = 100, y = 100) => [['down', id, x, y, t0], ['up', id, x, y, t0 + 60]];
const ticks = (from, to, every = 100) => Array.from({ length: (to - from) / every + 1 }, (_, k) => ['tick', from + k * every]);

test('finger records make the gestures', () => {
  const cases = [
    ['swipe up', drag(1, 200, 300, 0, -80, 0, 120), ['previous@120']],
    ['swipe down', drag(1, 200, 300, 5, 80, 0, 120), ['next@120']],
    ['swipe right', drag(1, 200, 300, 80, -5, 0, 120), ['choose@120']],
    ['swipe left', drag(1, 200, 300, -80, 0, 0, 120), ['back@120']],
    ['a slow drag is still a swipe', [...drag(1, 200, 300, 60, 0, 0, 3000, 30), ...ticks(0, 3000)], ['choose@3000']],
    ['30° off the axis is a swipe', drag(1, 200, 300, 70, 40, 0, 120), ['choose@120']],
    ['a diagonal is not', drag(1, 200, 300, 70, 70, 0, 120), []],
    ['too short', drag(1, 200, 300, 35, 0, 0, 120), []],
    ['too short for a tablet', [...drag(1, 200, 300, 70, 0, 0, 120), ...drag(1, 200, 300, 90, 0, 200, 120)], ['choose@320'], 1000],
    ['a swipe is said once, at the release', [
      ['down', 1, 200, 300, 0], ['move', 1, 300, 300, 50], ['move', 1, 301, 300, 900], ...ticks(0, 1000), ['up', 1, 301, 300, 1500],
    ], ['choose@1500']],
    ['a tap that moves a little', [['down', 1, 100, 100, 0], ['move', 1, 106, 103, 30], ['up', 1, 107, 104, 80]], ['tap@80']],
    ['moved away and back is no tap', [['down', 1, 100, 100, 0], ['move', 1, 125, 100, 30], ['up', 1, 101, 100, 80]], []],
    ['double tap', [...tap(1, 0), ...tap(2, 300)], ['tap@60', 'choose@360']],
    ['double tap too slow', [...tap(1, 0), ...tap(2, 420)], ['tap@60', 'tap@480']],
    ['three taps', [...tap(1, 0), ...tap(2, 200), ...tap(3, 400)], ['tap@60', 'choose@260', 'tap@460']],
    ['a swipe between taps', [...tap(1, 0), ...drag(2, 200, 300, 80, 0, 100, 100), ...tap(3, 250)], ['tap@60', 'choose@200', 'tap@310']],
    ['two-finger tap, lifted in reverse order', [
      ['down', 1, 100, 100, 0], ['down', 2, 150, 100, 40], ['move', 1, 104, 100, 60], ['up', 2, 150, 100, 90], ['up', 1, 104, 100, 120],
    ], ['back@120']],
    ['a second finger added mid-swipe', [
      ['down', 1, 200, 300, 0], ['move', 1, 200, 330, 40], ['down', 2, 250, 300, 60],
      ['move', 1, 200, 390, 100], ['move', 2, 250, 330, 100], ['up', 1, 200, 390, 130], ['up', 2, 250, 340, 140],
    ], ['again@140']],
    ['two-finger swipe, the mover lifted first', [
      ['down', 1, 200, 300, 0], ['down', 2, 250, 300, 10], ['move', 2, 170, 300, 80], ['up', 2, 170, 300, 90], ['up', 1, 203, 300, 150],
    ], ['again@150']],
    ['three-finger tap, lifted in any order', [
      ['down', 1, 100, 100, 0], ['down', 2, 130, 100, 20], ['down', 3, 160, 100, 30],
      ['up', 2, 130, 100, 90], ['up', 3, 160, 100, 100], ['up', 1, 100, 100, 110],
    ], ['where@110']],
    ['four fingers make nothing, even after one lifts', [
      ['down', 1, 100, 100, 0], ['down', 2, 130, 100, 10], ['down', 3, 160, 100, 20], ['down', 4, 190, 100, 30],
      ['up', 4, 190, 100, 60], ['up', 1, 100, 100, 100], ['up', 2, 130, 100, 100], ['up', 3, 160, 100, 100],
      ...tap(5, 500),
    ], ['tap@560']],
    ['cancel forgets the swipe and a waiting tap', [
      ...tap(1, 0), ['down', 2, 200, 300, 100], ['move', 2, 300, 300, 150], ['cancel', 2, 300, 300, 160], ...tap(3, 200),
    ], ['tap@60', 'tap@260']],
    ['cancel of one finger of two', [
      ['down', 1, 100, 100, 0], ['down', 2, 150, 100, 10], ['cancel', 1, 100, 100, 50], ['up', 2, 150, 100, 60], ...tap(3, 100),
    ], ['tap@160']],
    ['long press, at 0.8 s while held', [['down', 1, 100, 100, 0], ...ticks(0, 1200, 50), ['up', 1, 100, 100, 1300]], ['help@800']],
    ['long press with a late timer', [['down', 1, 100, 100, 0], ['up', 1, 100, 100, 900]], ['help@900']],
    ['long press that then moves: help only', [
      ['down', 1, 100, 100, 0], ['tick', 800], ['move', 1, 200, 100, 900], ['down', 2, 150, 100, 950], ['up', 1, 200, 100, 1000], ['up', 2, 150, 100, 1000],
    ], ['help@800']],
    ['held 0.6 s is a tap', [['down', 1, 100, 100, 0], ['tick', 600], ['up', 1, 100, 100, 600]], ['tap@600']],
    ['moved, then held: no help', [['down', 1, 100, 100, 0], ['move', 1, 120, 100, 100], ...ticks(100, 1500), ['up', 1, 120, 100, 1500]], []],
    ['a second finger before 0.8 s: no help', [
      ['down', 1, 100, 100, 0], ['down', 2, 150, 100, 500], ...ticks(0, 1000), ['up', 1, 100, 100, 1000], ['up', 2, 150, 100, 1000],
    ], []],
    ['records of unknown fingers and bad numbers', [
      ['move', 7, 100, 100, 0], ['up', 7, 100, 100, 10], ['down', 1, NaN, 100, 20], ['down', 1, 100, 100, 30], ['up', 1, 100, 100, 60],
    ], ['tap@60']],
  ];
  for (const [what, records, expected, shortSide] of cases) assert.deepEqual(play(records, shortSide), expected, what);
});

// CDP touch calls as Chromium turns them into pointers: a point a call
// leaves out stays down, touchEnd lifts all; ticks as a page's timer would.
function pointerRecords(calls) {
  const down = new Map();
  const records = [];
  let t = 0;
  for (const { type, touchPoints, wait } of calls) {
    t += wait;
    records.push(['tick', t]);
    const points = type === 'touchEnd' || type === 'touchCancel' ? [] : touchPoints;
    assert.ok(type === 'touchEnd' ? touchPoints.length === 0 : touchPoints.length > 0, type);
    for (const { x, y, id } of points) {
      const was = down.get(id);
      if (!was) records.push(['down', id, x, y, t]);
      else if (was.x !== x || was.y !== y) records.push(['move', id, x, y, t]);
      down.set(id, { x, y });
    }
    if (points.length > 0) continue;
    for (const [id, { x, y }] of down) records.push([type === 'touchCancel' ? 'cancel' : 'up', id, x, y, t]);
    down.clear();
  }
  assert.equal(down.size, 0, 'every finger lifted');
  return records;
}

test('the browser test\'s touch calls make their gestures', () => {
  const ways = [
    ...['previous', 'next', 'choose', 'back', 'again', 'help', 'where', 'tap'].map((n) => [n, [n]]),
    ['doubleTap', ['tap', 'choose']], ['twoFingerTap', ['back']],
  ];
  const pages = [[200, 300, 400, 800], [2, 2, 400, 800], [398, 798, 400, 800], [640, 400, 1280, 800]];
  for (const [x, y, width, height] of pages) {
    for (const [name, expected] of ways) {
      const calls = gestureTouches(name, { x, y, width, height });
      for (const { touchPoints } of calls) {
        for (const p of touchPoints) assert.ok(p.x > 0 && p.x < width && p.y > 0 && p.y < height, `${name} on the page`);
      }
      const said = play(pointerRecords(calls), Math.min(width, height)).map((s) => s.split('@')[0]);
      assert.deepEqual(said, expected, `${name} at ${x},${y} of ${width}×${height}`);
    }
  }
  assert.throws(() => gestureTouches('fling', { x: 0, y: 0, width: 400, height: 800 }));
  assert.ok(kGestureHelp.every((line) => /^[А-ЯЁ].*\.$/.test(line)));
});

test('the element\'s listeners: touch only, the browser\'s own gestures cancelled, the long press timed', () => {
  let clock = 0;
  let timerIds = 0;
  const timers = new Map();
  const view = {
    innerWidth: 400, innerHeight: 800,
    performance: { now: () => clock },
    setTimeout: (f, ms) => (timers.set(++timerIds, [clock + ms, f]), timerIds),
    clearTimeout: (id) => timers.delete(id),
  };
  const advance = (to) => {
    clock = to;
    for (const [id, [due, f]] of [...timers]) if (due <= clock) timers.delete(id), f();
  };
  const element = new EventTarget();
  element.ownerDocument = { defaultView: view };
  const captured = [];
  element.setPointerCapture = (id) => captured.push(id);
  const said = [];
  const detach = attachGestures(element, (name) => said.push(name));
  const send = (type, props = {}) => {
    const event = new Event(type, { cancelable: true });
    Object.assign(event, { pointerId: 1, clientX: 100, clientY: 100, isPrimary: true }, props);
    Object.defineProperty(event, 'timeStamp', { value: clock });
    element.dispatchEvent(event);
    return event.defaultPrevented;
  };
  // A mouse drag is left alone.
  assert.equal(send('pointerdown', { pointerType: 'mouse' }), false);
  send('pointerup', { pointerType: 'mouse', clientX: 300 });
  // A swipe right; its touch events cancelled.
  assert.equal(send('pointerdown', { pointerType: 'touch' }), true);
  assert.equal(send('touchstart'), true);
  advance(50);
  send('pointermove', { pointerType: 'touch', clientX: 200 });
  send('pointerup', { pointerType: 'touch', clientX: 200 });
  send('lostpointercapture', { pointerType: 'touch' });
  // A long press, said by the timer; its context menu cancelled.
  advance(1000);
  send('pointerdown', { pointerType: 'touch', pointerId: 2 });
  advance(1799);
  assert.deepEqual(said, ['choose']);
  advance(1800);
  assert.equal(send('contextmenu'), true);
  send('pointerup', { pointerType: 'touch', pointerId: 2 });
  assert.deepEqual(said, ['choose', 'help']);
  assert.deepEqual(captured, [1, 2]);
  // Long after the touch, a mouse's context menu is the browser's.
  advance(5000);
  assert.equal(send('contextmenu', { pointerType: 'mouse' }), false);
  // A finger whose release was lost does not hold up the next gestures.
  send('pointerdown', { pointerType: 'touch', pointerId: 3 });
  send('pointerdown', { pointerType: 'touch', pointerId: 4 });
  send('pointerup', { pointerType: 'touch', pointerId: 4 });
  assert.deepEqual(said, ['choose', 'help', 'tap']);
  detach();
  send('pointerdown', { pointerType: 'touch', pointerId: 5 });
  send('pointerup', { pointerType: 'touch', pointerId: 5 });
  assert.equal(timers.size, 0);
  assert.deepEqual(said, ['choose', 'help', 'tap']);
});
