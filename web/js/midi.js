// SPDX-License-Identifier: GPL-3.0-or-later
//
// A player's own project's MIDI music. The shipped game's music is rendered
// at build time; a project opened in the page can only be played here, by
// spessasynth_lib (from the npm registry, copied into js/vendor by
// scripts/build-web) with the General MIDI sound font the desktop plays
// MIDI with (synth/TimGM6mb.sf2). Both are fetched on the first piece only,
// so a page that never plays such music never downloads them.

const kLibrary = './vendor/spessasynth_lib.js';
const kProcessor = new URL('./vendor/spessasynth_processor.min.js', import.meta.url);
const kSoundFont = new URL('../synth/TimGM6mb.sf2', import.meta.url);

let loading = null; // Promise<{ lib, synth, sequencer } | null>, for loadedFor
let loadedFor = null;
let current = null; // the handle of the piece playing
let connectedTo = null;

async function load(ctx) {
  const lib = await import(kLibrary);
  const font = await fetch(kSoundFont);
  if (!font.ok) throw new Error(`${kSoundFont}: ${font.status}`);
  await ctx.audioWorklet.addModule(kProcessor);
  const synth = new lib.WorkletSynthesizer(ctx);
  await synth.soundBankManager.addSoundBank(await font.arrayBuffer(), 'main');
  await synth.isReady;
  const sequencer = new lib.Sequencer(synth);
  sequencer.eventHandler.addEvent('songEnded', 'velmora', () => {
    const ended = current;
    current = null;
    if (ended?.onended) ended.onended();
  });
  return { lib, synth, sequencer };
}

/** Loads the synthesizer into ctx (once); resolves to whether MIDI can play. */
export async function ready(ctx) {
  if (loadedFor !== ctx) {
    loadedFor = ctx;
    connectedTo = null;
    loading = load(ctx).catch((e) => {
      console.warn(`velmora: no MIDI synthesizer: ${e}`);
      return null;
    });
  }
  return (await loading) !== null;
}

/**
 * Plays the MIDI file at url into destination, replacing the piece playing;
 * resolves to a handle { stop(), onended } (onended is called when a piece
 * not looped reaches its end), or null when it cannot be played.
 */
export async function start(ctx, destination, url, loop = false) {
  if (!(await ready(ctx))) return null;
  const { synth, sequencer } = await loading;
  let bytes;
  try {
    const response = await fetch(url);
    if (!response.ok) return null;
    bytes = await response.arrayBuffer();
  } catch {
    return null;
  }
  if (connectedTo !== destination) {
    if (connectedTo) synth.disconnect();
    synth.connect(destination);
    connectedTo = destination;
  }
  const handle = {
    onended: null,
    stop() {
      if (current !== handle) return;
      current = null;
      sequencer.pause();
      synth.stopAll(true);
    },
  };
  if (current) current.stop();
  try {
    sequencer.loopCount = loop ? -1 : 0;
    sequencer.loadNewSongList([{ binary: bytes, fileName: 'music.mid' }]);
    sequencer.play();
  } catch (e) {
    console.warn(`velmora: MIDI not played: ${e}`);
    return null;
  }
  current = handle;
  return handle;
}

/** How far the piece playing has got, in seconds; null when none plays. */
export function position() {
  return current && loading ? loading.then((s) => s?.sequencer.currentTime ?? null) : Promise.resolve(null);
}
