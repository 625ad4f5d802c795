// Play, pause, speed and scrubbing over the flight's time, with the
// milestones as marks; the URL fragment #t=SECONDS follows the paused moment.

export const SPEEDS = [1, 2, 4, 8, 16, 32, 64];

function clock(t) {
  const s = Math.max(0, Math.floor(t));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}

export function fragmentTime() {
  const m = /^#t=([0-9]+(?:\.[0-9]*)?)$/.exec(window.location.hash);
  return m ? Number(m[1]) : null;
}

export class Timeline {
  constructor(parent, start, end, milestones, onChange) {
    this.start = start;
    this.end = end;
    this.t = start;
    this.playing = false;
    this.speed = 1;
    this.onChange = onChange;
    this.el = document.createElement('div');
    this.el.className = 'timeline';
    this.el.innerHTML = `<button class="play" title="play / pause (space)">▶</button>
      <select class="speed" title="playback speed">${SPEEDS.map((s) => `<option value="${s}">×${s}</option>`).join('')}</select>
      <div class="bar"><input class="scrub" type="range" min="${start}" max="${end}" step="0.05" value="${start}">
      <div class="marks"></div></div><span class="clock"></span>`;
    parent.append(this.el);
    this.playButton = this.el.querySelector('.play');
    this.scrub = this.el.querySelector('.scrub');
    this.clock = this.el.querySelector('.clock');
    const speed = this.el.querySelector('.speed');
    this.playButton.addEventListener('click', () => {
      this.toggle();
      this.playButton.blur();
    });
    speed.addEventListener('change', () => (this.speed = Number(speed.value)));
    this.scrub.addEventListener('input', () => this.seek(Number(this.scrub.value)));
    this.addMarks(milestones);
    window.addEventListener('keydown', (e) => this.key(e));
    window.addEventListener('hashchange', () => {
      const t = fragmentTime();
      if (t !== null && Math.abs(t - this.t) > 1e-6) this.seek(t, false);
    });
  }

  addMarks(milestones) {
    const marks = this.el.querySelector('.marks');
    for (const m of milestones) {
      const b = document.createElement('button');
      b.className = `mark ${m.kind}`;
      b.style.left = `${(100 * (m.t - this.start)) / Math.max(this.end - this.start, 1e-9)}%`;
      b.title = `${clock(m.t)}  ${m.text}`;
      b.dataset.t = m.t;
      // Blurred, so that space goes on to play rather than click the mark again.
      b.addEventListener('click', () => {
        this.seek(m.t);
        b.blur();
      });
      marks.append(b);
    }
  }

  key(e) {
    if (e.target instanceof HTMLSelectElement) return;
    if (e.code === 'Space') {
      e.preventDefault();
      this.toggle();
    } else if (e.code === 'ArrowRight' || e.code === 'ArrowLeft') {
      e.preventDefault();
      const step = (e.shiftKey ? 10 : 1) * (e.code === 'ArrowRight' ? 1 : -1);
      this.seek(this.t + step);
    }
  }

  toggle() {
    if (!this.playing && this.t >= this.end) this.t = this.start;
    this.playing = !this.playing;
    this.playButton.textContent = this.playing ? '❚❚' : '▶';
    if (!this.playing) this.writeFragment();
  }

  // Pauses at t; the fragment says where unless it brought us here.
  seek(t, write = true) {
    this.t = Math.min(Math.max(t, this.start), this.end);
    if (this.playing) this.toggle();
    else if (write) this.writeFragment();
    this.changed();
  }

  advance(dtReal) {
    if (!this.playing) return;
    this.t = Math.min(this.t + dtReal * this.speed, this.end);
    if (this.t >= this.end) this.toggle();
    this.changed();
  }

  writeFragment() {
    history.replaceState(null, '', `#t=${this.t.toFixed(3)}`);
  }

  changed() {
    this.scrub.value = this.t;
    this.clock.textContent = `${clock(this.t)} / ${clock(this.end)}`;
    this.onChange(this.t);
  }
}
