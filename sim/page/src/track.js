// The flight's data as fly --html embeds it: columns of fixed-point numbers
// (the CSV's decimals), delta-encoded, decoded here once.

// Decimal text of an integer count of 10^-digits, as "%.*f" would print it.
export function fixedText(count, digits) {
  const sign = count < 0 ? '-' : '';
  const s = String(Math.abs(count)).padStart(digits + 1, '0');
  return digits === 0 ? sign + s : `${sign}${s.slice(0, -digits)}.${s.slice(-digits)}`;
}

// The CSV's value rounded to fewer decimals, half away from zero, in
// integers so the CSV's digits are all that count.
export function coarser(count, digits, shown) {
  const step = 10 ** (digits - shown);
  const a = Math.abs(count) + step / 2;
  let q = Math.floor(a / step);
  if (q * step > a) q--; // the division rounded up to a whole number
  else if ((q + 1) * step <= a) q++;
  return fixedText(count < 0 && q !== 0 ? -q : q, shown);
}

function decodeColumn(c) {
  if (c.s) return { digits: c.d, counts: null, texts: c.s, values: Float64Array.from(c.s, Number) };
  const counts = new Float64Array(c.v.length);
  let acc = 0;
  for (let i = 0; i < c.v.length; i++) counts[i] = acc += c.v[i];
  const scale = 10 ** c.d;
  return { digits: c.d, counts, texts: null, values: counts.map((n) => n / scale) };
}

export class Track {
  constructor(columns) {
    this.columns = {};
    for (const [name, c] of Object.entries(columns)) this.columns[name] = decodeColumn(c);
    this.time = this.columns.time_s.values;
    this.length = this.time.length;
    this.start = this.time[0];
    this.end = this.time[this.length - 1];
  }

  values(name) {
    return this.columns[name].values;
  }

  // The last row at or before t (the first row before the start).
  rowAt(t) {
    let lo = 0;
    let hi = this.length - 1;
    if (!(t >= this.time[0])) return 0;
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (this.time[mid] <= t) lo = mid;
      else hi = mid - 1;
    }
    return lo;
  }

  // Row i's value with `shown` decimals (at most the CSV's).
  text(name, i, shown) {
    const c = this.columns[name];
    if (!c.counts) return c.texts[i];
    return coarser(c.counts[i], c.digits, Math.min(shown, c.digits));
  }

  // Linear between the rows around t, for smooth motion; angles the short way.
  lerp(name, t, i = this.rowAt(t), degrees = false) {
    const v = this.columns[name].values;
    if (i >= this.length - 1 || !(t > this.time[i])) return v[i];
    const f = (t - this.time[i]) / (this.time[i + 1] - this.time[i]);
    let d = v[i + 1] - v[i];
    if (degrees) d = ((d + 540) % 360) - 180;
    return v[i] + d * f;
  }
}

export function readFlight() {
  const raw = JSON.parse(document.getElementById('flight-data').textContent);
  const bytes = Uint8Array.from(atob(raw.glb), (ch) => ch.charCodeAt(0));
  return {
    source: raw.source,
    summary: raw.summary,
    milestones: raw.milestones.map((m) => ({ ...m, t: Number(m.t) })),
    track: new Track(raw.track),
    glb: bytes.buffer,
  };
}
