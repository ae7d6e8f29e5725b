// SPDX-License-Identifier: GPL-3.0-or-later
//
// Touch gestures for a player who cannot see the screen: the gestures audio
// games for blind players use, each named by what it does in the game.
//
//   const r = new GestureRecognizer({ onGesture: (name) => ..., shortSide: 390 });
//   r.feed({ type: 'down' | 'move' | 'up' | 'cancel', id, x, y, t });
//   r.tick(t);        // when the clock reaches r.deadline: the long press
//
//   const detach = attachGestures(element, (name) => ...);
//
// Names: 'previous' (swipe up), 'next' (swipe down), 'choose' (swipe right,
// double tap), 'back' (swipe left, two-finger tap), 'again' (two-finger
// swipe), 'help' (long press), 'where' (three-finger tap) and 'tap' (every
// single tap, at its release; the second of a double tap gives 'choose'
// instead). A gesture is decided once, when its last finger lifts; only the
// long press is decided while the finger is still down. The recognizer reads
// time only from its records, so it is exact under test.

// A swipe covers this share of the screen's short side, and at least
// kSwipeMinPx; its main axis is kSwipeAxisRatio times the other one or more
// (within about 34° of the axis).
export const kSwipeMinShare = 0.08;
export const kSwipeMinPx = 40;
export const kSwipeAxisRatio = 1.5;
// A tap's fingers each stay within this distance of where they touched.
export const kTapSlopPx = 10;
// A finger held still this long is a long press; taps are shorter.
export const kLongPressMs = 800;
// A second tap touching this soon after the first one's release makes a
// double tap.
export const kDoubleTapMs = 350;
// More fingers than this make no gesture at all.
export const kMaxFingers = 3;
// Within this time after a touch the browser's context menu and text
// selection are still the touch's doing.
const kTouchAfterglowMs = 800;

export const kGestureHelp = [
  'Провести вверх или вниз — предыдущий или следующий пункт.',
  'Провести вправо или дважды коснуться — выбрать.',
  'Провести влево или коснуться двумя пальцами — назад.',
  'Провести двумя пальцами — повторить последний текст.',
  'Коснуться тремя пальцами — где я.',
  'Долгое касание — помощь.',
];

export function swipeMinPx(shortSide) {
  return Math.max(kSwipeMinPx, kSwipeMinShare * shortSide);
}

export class GestureRecognizer {
  // onGesture(name) is called for every gesture; shortSide is the screen's
  // short side in CSS px, or a function giving it (read as a gesture starts).
  constructor({ onGesture, shortSide = 0 } = {}) {
    this.onGesture = onGesture ?? (() => {});
    this.shortSide = typeof shortSide === 'function' ? shortSide : () => shortSide;
    this.reset();
  }

  // Forgets the fingers down and the gesture (a double tap waiting too).
  reset() {
    this.active = new Map();  // id -> finger still down
    this.lifted = [];         // the gesture's fingers already up
    this.void = false;        // cancelled, or too many fingers
    this.done = false;        // the long press has been said
    this.start = 0;
    this.minSwipe = kSwipeMinPx;
    this.lastTapUp = null;    // release time of a single tap a second one may join
  }

  get fingersDown() {
    return this.active.size;
  }

  // When tick() must be called for the long press, or null.
  get deadline() {
    return this.#mayLongPress() ? this.start + kLongPressMs : null;
  }

  tick(t) {
    if (this.#mayLongPress() && t - this.start >= kLongPressMs) {
      this.done = true;
      this.lastTapUp = null;
      this.onGesture('help');
    }
  }

  feed(record) {
    const { type, id, x, y, t } = record ?? {};
    if (![x, y, t].every(Number.isFinite)) return;
    // A late timer: the long press happened before this record.
    this.tick(t);
    if (type === 'down') {
      if (this.active.has(id)) {
        this.#moveTo(this.active.get(id), x, y);
        return;
      }
      if (this.active.size === 0) {
        this.lifted = [];
        this.void = false;
        this.done = false;
        this.start = t;
        this.minSwipe = swipeMinPx(Number(this.shortSide()) || 0);
      }
      this.active.set(id, { x0: x, y0: y, x, y, far: 0 });
      if (this.active.size + this.lifted.length > kMaxFingers) this.void = true;
      return;
    }
    const finger = this.active.get(id);
    if (finger === undefined) return;
    if (type === 'move' || type === 'up') this.#moveTo(finger, x, y);
    if (type === 'up' || type === 'cancel') {
      this.active.delete(id);
      if (type === 'cancel') {
        this.void = true;
        this.lastTapUp = null;
      } else {
        this.lifted.push(finger);
      }
      if (this.active.size === 0) this.#decide(t);
    }
  }

  #mayLongPress() {
    if (this.void || this.done || this.active.size !== 1 || this.lifted.length !== 0) return false;
    const [finger] = this.active.values();
    return finger.far < kTapSlopPx;
  }

  #moveTo(finger, x, y) {
    finger.x = x;
    finger.y = y;
    finger.far = Math.max(finger.far, Math.hypot(x - finger.x0, y - finger.y0));
  }

  #decide(t) {
    const waiting = this.lastTapUp;
    this.lastTapUp = null;
    if (this.void || this.done) return;
    const fingers = this.lifted;
    const still = fingers.every((f) => f.far < kTapSlopPx);
    if (still) {
      if (t - this.start >= kLongPressMs) return;  // several fingers held: no tap
      if (fingers.length === 1) {
        if (waiting !== null && this.start - waiting <= kDoubleTapMs) {
          this.onGesture('choose');
        } else {
          this.lastTapUp = t;
          this.onGesture('tap');
        }
      } else {
        this.onGesture(fingers.length === 2 ? 'back' : 'where');
      }
      return;
    }
    if (fingers.length === 1) {
      const dx = fingers[0].x - fingers[0].x0;
      const dy = fingers[0].y - fingers[0].y0;
      const ax = Math.abs(dx);
      const ay = Math.abs(dy);
      if (Math.max(ax, ay) < this.minSwipe) return;
      if (ax >= kSwipeAxisRatio * ay) this.onGesture(dx > 0 ? 'choose' : 'back');
      else if (ay >= kSwipeAxisRatio * ax) this.onGesture(dy > 0 ? 'next' : 'previous');
    } else if (fingers.length === 2) {
      if (fingers.some((f) => Math.hypot(f.x - f.x0, f.y - f.y0) >= this.minSwipe)) this.onGesture('again');
    }
  }
}

// Listens to the element's touch pointers (mouse and pen are left alone) and
// calls onGesture(name) for each gesture. Returns a function that detaches.
// The element wants `touch-action: none` and `overscroll-behavior: none` in
// its CSS (and `user-select: none`, `-webkit-touch-callout: none`): browsers
// decide on panning, zooming and pull to refresh before any script runs, and
// the touch events cancelled here only back that up.
// options.shortSide: a function giving the screen's short side in CSS px
// (default: the viewport's).
export function attachGestures(element, onGesture, options = {}) {
  const view = element.ownerDocument?.defaultView ?? globalThis;
  const now = () => view.performance.now();
  const recognizer = new GestureRecognizer({
    onGesture,
    shortSide: options.shortSide ?? (() => Math.min(view.innerWidth, view.innerHeight)),
  });
  let timer = null;
  let lastTouch = -Infinity;

  const schedule = () => {
    if (timer !== null) view.clearTimeout(timer);
    timer = null;
    const due = recognizer.deadline;
    if (due === null) return;
    timer = view.setTimeout(() => {
      timer = null;
      recognizer.tick(Math.max(now(), due));
      schedule();
    }, Math.max(0, due - now()));
  };
  // Event times share performance.now()'s origin; an old browser's epoch
  // times would not, so those events are timed on arrival.
  const timeOf = (event) => (event.timeStamp > 0 && event.timeStamp < 1e11 ? event.timeStamp : now());
  const feed = (type, event) => {
    lastTouch = now();
    recognizer.feed({ type, id: event.pointerId, x: event.clientX, y: event.clientY, t: timeOf(event) });
    schedule();
  };

  const listeners = [
    ['pointerdown', (event) => {
      if (event.pointerType !== 'touch') return;
      event.preventDefault();
      // The first finger down by the browser's count: any finger still
      // down here lost its release somewhere.
      if (event.isPrimary && recognizer.fingersDown > 0) recognizer.reset();
      try {
        element.setPointerCapture(event.pointerId);
      } catch {
        // A pointer already gone: its release follows.
      }
      feed('down', event);
    }],
    ['pointermove', (event) => {
      if (event.pointerType !== 'touch') return;
      event.preventDefault();
      feed('move', event);
    }],
    ['pointerup', (event) => {
      if (event.pointerType !== 'touch') return;
      event.preventDefault();
      feed('up', event);
    }],
    ['pointercancel', (event) => {
      if (event.pointerType === 'touch') feed('cancel', event);
    }],
    // Capture lost while the finger is down: its release will not come here.
    // (After a release the finger is already gone and this is ignored.)
    ['lostpointercapture', (event) => {
      if (event.pointerType === 'touch') feed('cancel', event);
    }],
    // Touch events come from touch only: cancelling them stops scrolling,
    // pull to refresh, double-tap zoom and the mouse events a tap would make.
    ...['touchstart', 'touchmove', 'touchend', 'touchcancel'].map((type) => [type, (event) => {
      if (event.cancelable) event.preventDefault();
    }]),
    // The long press's context menu and text selection, and Safari's pinch.
    ...['contextmenu', 'selectstart', 'gesturestart', 'gesturechange'].map((type) => [type, (event) => {
      const byTouch = event.pointerType === 'touch' || recognizer.fingersDown > 0 ||
        now() - lastTouch < kTouchAfterglowMs || type.startsWith('gesture');
      if (byTouch && event.cancelable) event.preventDefault();
    }]),
  ];
  for (const [type, listener] of listeners) element.addEventListener(type, listener, { passive: false });
  return () => {
    for (const [type, listener] of listeners) element.removeEventListener(type, listener, { passive: false });
    if (timer !== null) view.clearTimeout(timer);
    timer = null;
    recognizer.reset();
  };
}

// The Chrome DevTools Protocol's Input.dispatchTouchEvent calls that make a
// gesture at (x, y) on a page of width × height CSS px, for browser tests:
// [{ type, touchPoints: [{ x, y, id }], wait }], where wait is the ms to
// wait before sending that call (send only type and touchPoints). Chromium
// keeps a touch point a call leaves out down; touchEnd lifts all. name is a
// gesture's name ('previous', 'next', 'choose', 'back', 'again', 'help',
// 'where', 'tap') or one of the other ways to it ('doubleTap',
// 'twoFingerTap'). After 'tap', wait kDoubleTapMs before the next gesture,
// or the two make a double tap.
export function gestureTouches(name, { x, y, width, height }) {
  const short = Math.min(width, height);
  const length = Math.min(2.5 * swipeMinPx(short), 0.8 * short);
  if (length < swipeMinPx(short)) throw new Error(`a page of ${width}×${height} is too small for a swipe`);
  const inside = (v, size) => Math.min(Math.max(v, 1), size - 1);
  const point = (px, py, id = 1) => ({ x: Math.round(px), y: Math.round(py), id });
  const tap = (fingers, wait = 0) => [
    { type: 'touchStart', touchPoints: fingers.slice(0, 1), wait },
    ...fingers.slice(1).map((_, i) => ({ type: 'touchStart', touchPoints: fingers.slice(0, i + 2), wait: 10 })),
    { type: 'touchEnd', touchPoints: [], wait: 60 },
  ];
  // Fingers side by side, 30 px apart, kept on the page.
  const fingers = (n) => {
    const left = inside(x - 15 * (n - 1), width - 30 * (n - 1));
    return Array.from({ length: n }, (_, i) => point(left + 30 * i, inside(y, height), i + 1));
  };
  // Several fingers moved together by (dx, dy) in five steps, 20 ms apart;
  // the start is moved back where the end would leave the page.
  const swipe = (n, dx, dy) => {
    const spread = 30 * (n - 1);
    const x0 = Math.min(Math.max(x, 1 - Math.min(dx, 0)), width - 1 - spread - Math.max(dx, 0));
    const y0 = Math.min(Math.max(y, 1 - Math.min(dy, 0)), height - 1 - Math.max(dy, 0));
    const at = (k) => Array.from({ length: n }, (_, i) => point(x0 + 30 * i + (dx * k) / 5, y0 + (dy * k) / 5, i + 1));
    return [
      ...at(0).map((_, i) => ({ type: 'touchStart', touchPoints: at(0).slice(0, i + 1), wait: i ? 10 : 0 })),
      ...[1, 2, 3, 4, 5].map((k) => ({ type: 'touchMove', touchPoints: at(k), wait: 20 })),
      { type: 'touchEnd', touchPoints: [], wait: 20 },
    ];
  };
  const ways = {
    previous: () => swipe(1, 0, -length),
    next: () => swipe(1, 0, length),
    choose: () => swipe(1, length, 0),
    back: () => swipe(1, -length, 0),
    again: () => swipe(2, 0, length),
    help: () => [
      { type: 'touchStart', touchPoints: fingers(1), wait: 0 },
      { type: 'touchEnd', touchPoints: [], wait: kLongPressMs + 200 },
    ],
    where: () => tap(fingers(3)),
    tap: () => tap(fingers(1)),
    doubleTap: () => [...tap(fingers(1)), ...tap(fingers(1), kDoubleTapMs / 3)],
    twoFingerTap: () => tap(fingers(2)),
  };
  if (!Object.hasOwn(ways, name)) throw new Error(`no such gesture: ${name}`);
  return ways[name]();
}
