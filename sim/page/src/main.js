// The flight page: reads the embedded flight, builds the scene, the
// timeline, the overlay and the plots, and keeps them at one moment.
import { readFlight } from './track.js';
import { FlightScene } from './scene.js';
import { Timeline, fragmentTime } from './timeline.js';
import { Overlay } from './overlay.js';
import { Plots } from './plots.js';
import './page.css';

function element(parent, tag, className, text) {
  const el = document.createElement(tag);
  el.className = className;
  if (text !== undefined) el.textContent = text;
  parent.append(el);
  return el;
}

function viewButtons(parent, scene) {
  const box = element(parent, 'div', 'views');
  for (const [view, label] of [['chase', 'chase'], ['pilot', 'pilot']]) {
    const b = element(box, 'button', `camera ${view}`, label);
    b.title = view === 'chase' ? 'chase camera: drag to orbit, wheel to zoom (v)' : "pilot's eye (v)";
    b.addEventListener('click', () => select(view));
  }
  function select(view) {
    scene.setView(view);
    for (const b of box.children) b.classList.toggle('on', b.classList.contains(view));
  }
  window.addEventListener('keydown', (e) => {
    if (e.code === 'KeyV') select(scene.view === 'chase' ? 'pilot' : 'chase');
  });
  select('chase');
}

async function main() {
  const flight = readFlight();
  document.title = `Vantorel flight: ${flight.source}`;
  const view = element(document.body, 'div', 'view');
  const scene = new FlightScene(view, flight.track);
  await scene.load(flight.glb);
  const side = element(document.body, 'div', 'side');
  element(side, 'h1', 'title', `Vantorel: ${flight.source}`);
  const overlay = new Overlay(view, flight.track);
  const plots = new Plots(side, flight.track, (t) => timeline.seek(t));
  const summary = element(side, 'details', 'summary');
  element(summary, 'summary', '', 'summary');
  element(summary, 'pre', '', flight.summary);
  viewButtons(view, scene);
  let row = -1;
  const timeline = new Timeline(document.body, flight.track.start, flight.track.end, flight.milestones, (t) => {
    scene.pose(t);
    row = flight.track.rowAt(t);
    overlay.show(row);
    plots.show(t);
  });
  const t0 = fragmentTime();
  timeline.seek(t0 ?? flight.track.start, false);
  scene.placeChase(timeline.t);
  let last = performance.now();
  let frames = 0;
  const hook = {
    firstFrameMs: null,
    get frames() { return frames; },
    get t() { return timeline.t; },
    get playing() { return timeline.playing; },
    get row() { return row; },
    get cameraAbove() { return scene.cameraAbove(); },
    get renderScale() { return scene.scale; },
    visiblePixels: (pattern) => scene.visiblePixels(new RegExp(pattern)),
    // The view as a PNG data URL, drawn afresh (the drawing buffer is not kept).
    snapshot: () => {
      scene.render();
      return scene.renderer.domElement.toDataURL();
    },
  };
  let slow = 0;
  function frame(now) {
    const dt = now - last;
    timeline.advance(Math.min(dt / 1000, 0.25));
    last = now;
    if (!timeline.playing) {
      slow = 0;
      scene.setScale(1);
    } else if ((slow = dt > 34 ? slow + 1 : 0) > 10 && scene.scale > 0.5) {
      slow = 0;
      scene.setScale(scene.scale - 0.125);
    }
    scene.render();
    frames++;
    if (hook.firstFrameMs === null) hook.firstFrameMs = now; // since the navigation began
    requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);
  // Read-only for the browser test: the moment, the row, what shows.
  window.vantorelPage = hook;
}

main().catch((e) => {
  document.body.textContent = `This flight page could not start: ${e.message}`;
  console.error(e);
});
