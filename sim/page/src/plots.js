// Altitude, airspeed and fuel against time (uPlot), with a line at the
// moment shown; a click on a plot seeks there.
import uPlot from 'uplot';
import 'uplot/dist/uPlot.min.css';

const SERIES = [
  ['altitude_m', 'altitude (m)', '#1f5fa8'],
  ['airspeed_mps', 'airspeed (m/s)', '#c0392b'],
  ['fuel_kg', 'fuel (kg)', '#2e7d32'],
];

export class Plots {
  constructor(parent, track, onSeek) {
    this.el = document.createElement('div');
    this.el.className = 'plots';
    parent.append(this.el);
    this.plots = [];
    const time = track.values('time_s');
    for (const [name, label, color] of SERIES) {
      const u = new uPlot(
        {
          width: 360,
          height: 140,
          legend: { show: false },
          cursor: { drag: { x: false, y: false }, points: { show: false } },
          title: label,
          scales: { x: { time: false } },
          axes: [{ size: 30 }, { size: 56 }],
          series: [{}, { stroke: color, width: 1.5, fill: `${color}22` }],
        },
        [time, track.values(name)],
        this.el,
      );
      const line = document.createElement('div');
      line.className = 'now';
      u.over.append(line);
      u.over.addEventListener('click', (e) => onSeek(u.posToVal(e.offsetX, 'x')));
      this.plots.push({ u, line });
    }
  }

  show(t) {
    for (const { u, line } of this.plots) line.style.transform = `translateX(${u.valToPos(t, 'x')}px)`;
  }
}
