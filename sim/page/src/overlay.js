// The numbers beside the aircraft: the CSV's row for the moment shown, with
// the CSV's rounding or coarser.

const FIELDS = [
  ['time', 'time', (tr, i) => `${clock(tr.values('time_s')[i])} (${tr.text('time_s', i, 1)} s)`],
  ['altitude', 'altitude', (tr, i) => `${tr.text('altitude_m', i, 0)} m`],
  ['airspeed', 'airspeed', (tr, i) => `${tr.text('airspeed_mps', i, 1)} m/s`],
  ['mach', 'Mach', (tr, i) => tr.text('mach', i, 2)],
  ['vertical_speed', 'vertical speed', (tr, i) => `${tr.text('vertical_speed_mps', i, 1)} m/s`],
  ['fuel', 'fuel', (tr, i) => `${tr.text('fuel_kg', i, 0)} kg`],
  ['throttle', 'throttle', (tr, i) => tr.text('throttle', i, 2)],
  ['gear', 'gear', (tr, i) => state(tr.text('gear_pos', i, 2), 'down', 'up')],
  ['flaps', 'flaps', (tr, i) => state(tr.text('flap_pos', i, 2), 'up', 'down')],
  ['canopy', 'canopy', (tr, i) => state(tr.text('canopy_pos', i, 2), 'closed', 'open')],
];

function clock(t) {
  const s = Math.max(0, Math.floor(t));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}

function state(text, at0, at1) {
  const word = text === '0.00' ? at0 : text === '1.00' ? at1 : 'moving';
  return `${text} ${word}`;
}

export class Overlay {
  constructor(parent, track) {
    this.track = track;
    this.el = document.createElement('dl');
    this.el.className = 'overlay';
    this.cells = {};
    for (const [key, label] of FIELDS) {
      const dt = document.createElement('dt');
      dt.textContent = label;
      const dd = document.createElement('dd');
      dd.dataset.field = key;
      this.el.append(dt, dd);
      this.cells[key] = dd;
    }
    parent.append(this.el);
    this.row = -1;
  }

  show(row) {
    if (row === this.row) return;
    this.row = row;
    for (const [key, , format] of FIELDS) this.cells[key].textContent = format(this.track, row);
  }
}
