// The last run's bars as a tone, with the samples the module computes: Web Audio plays
// them; a device with no audio stays silent.
export function createTone({ state, module: getModule }) {
  let audio = null;
  let playing = null;
  return {
    play() {
      if (state.busy || !state.ready)
        return false;
      const m = getModule();
      const count = m._lumetra_tone();
      if (!count)
        return false;
      this.stop();
      try {
        audio ||= new AudioContext();
        const buffer = audio.createBuffer(1, count, m._lumetra_tone_rate());
        buffer.copyToChannel(new Float32Array(m.HEAPF32.buffer, m._lumetra_tone_samples(), count), 0);
        playing = audio.createBufferSource();
        playing.buffer = buffer;
        playing.connect(audio.destination);
        playing.onended = () => { playing = null; state.tonePlaying = false; };
        playing.start();
        audio.resume?.();
        state.tonePlaying = true;
        state.tonesPlayed = (state.tonesPlayed || 0) + 1;
      } catch {
        playing = null; // no audio here: silence
      }
      return true;
    },
    // True when a tone was stopped.
    stop() {
      if (!playing)
        return false;
      playing.onended = null;
      playing.stop();
      playing = null;
      state.tonePlaying = false;
      return true;
    },
  };
}
