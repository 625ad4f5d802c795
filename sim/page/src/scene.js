// The 3D scene: the aircraft posed from the track, the ground with the
// runway where the flight starts, a sky, a chase camera that orbits and
// zooms, and the pilot's eye point.
import * as THREE from 'three';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';
import { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';
import { mergeStaticParts } from './merge.js';

const DEG = Math.PI / 180;
// In the exterior's glTF frame (nose to -Z): the pilot's eye, under the canopy.
const EYE = new THREE.Vector3(0, 1.05, -3.2);
const RUNWAY_LENGTH_M = 3000;
const RUNWAY_WIDTH_M = 45;
const GROUND_SIZE_M = 60000; // the fog closes in before its edge

// Host world (east, up, north; left-handed) to three.js: north is -Z.
export function worldPosition(track, t, i, out) {
  return out.set(track.lerp('east_m', t, i), track.lerp('altitude_m', t, i), -track.lerp('north_m', t, i));
}

function runwayTexture() {
  const c = document.createElement('canvas');
  c.width = 64;
  c.height = 512;
  const g = c.getContext('2d');
  g.fillStyle = '#3b3d40';
  g.fillRect(0, 0, 64, 512);
  g.fillStyle = '#e8e8e8';
  g.fillRect(30, 0, 4, 300); // centre-line dash
  g.fillRect(1, 0, 2, 512); // edge lines
  g.fillRect(61, 0, 2, 512);
  const tex = new THREE.CanvasTexture(c);
  tex.wrapT = THREE.RepeatWrapping;
  tex.repeat.set(1, RUNWAY_LENGTH_M / 60);
  tex.anisotropy = 8;
  tex.colorSpace = THREE.SRGBColorSpace;
  return tex;
}

function takeOffRun(track) {
  const speed = track.values('airspeed_mps');
  const alt = track.values('altitude_m');
  const east = track.values('east_m');
  const north = track.values('north_m');
  const i0 = Math.max(speed.findIndex((v) => v > 5), 0);
  const i1 = alt.findIndex((v, i) => i > i0 && v > alt[0] + 10);
  const start = new THREE.Vector3(east[i0], 0, -north[i0]);
  if (i1 < 0 || Math.hypot(east[i1] - east[i0], north[i1] - north[i0]) < 50) {
    return { start, heading: track.values('heading_deg')[0] * DEG };
  }
  return { start, heading: Math.atan2(east[i1] - east[i0], north[i1] - north[i0]) };
}

function addGround(scene, track) {
  // Kept under the aircraft and cut into small triangles: a few huge ones
  // reaching far behind the camera get their depth wrong in software WebGL.
  const ground = new THREE.Mesh(
    new THREE.PlaneGeometry(GROUND_SIZE_M, GROUND_SIZE_M, 48, 48),
    new THREE.MeshBasicMaterial({ color: 0x6f8f4e }),
  );
  ground.rotation.x = -Math.PI / 2;
  scene.add(ground);
  // The runway lies along the take-off run: from where the aircraft starts to
  // roll to where it climbs through 10 m (or along the starting heading).
  const { start, heading } = takeOffRun(track);
  const runway = new THREE.Mesh(
    new THREE.PlaneGeometry(RUNWAY_WIDTH_M, RUNWAY_LENGTH_M),
    new THREE.MeshBasicMaterial({ map: runwayTexture() }),
  );
  runway.rotation.order = 'YXZ';
  runway.rotation.set(-Math.PI / 2, -heading, 0);
  const forward = new THREE.Vector3(Math.sin(heading), 0, -Math.cos(heading));
  runway.position.copy(start).addScaledVector(forward, RUNWAY_LENGTH_M / 2 - 300);
  runway.position.y = 0.1; // clear of the ground's depth
  scene.add(runway);
  return ground;
}

export class FlightScene {
  constructor(container, track) {
    this.track = track;
    this.renderer = new THREE.WebGLRenderer({ antialias: false, alpha: true });
    this.scale = 1;
    this.renderer.setPixelRatio(Math.min(window.devicePixelRatio, 2));
    container.append(this.renderer.domElement);
    this.scene = new THREE.Scene();
    // The sky is the page's CSS gradient behind a transparent canvas: software
    // WebGL would pay for every pixel of it each frame.
    this.renderer.setClearColor(0x000000, 0);
    this.scene.fog = new THREE.Fog(0xcfdde9, 3000, GROUND_SIZE_M / 2);
    this.scene.add(new THREE.HemisphereLight(0xdfefff, 0x55633f, 1.6));
    const sun = new THREE.DirectionalLight(0xffffff, 2.2);
    sun.position.set(0.4, 1, 0.3);
    this.scene.add(sun, sun.target);
    this.sun = sun;
    this.ground = addGround(this.scene, track);
    this.chase = new THREE.PerspectiveCamera(50, 1, 1, GROUND_SIZE_M);
    this.pilot = new THREE.PerspectiveCamera(70, 1, 0.1, GROUND_SIZE_M);
    this.controls = new OrbitControls(this.chase, this.renderer.domElement);
    this.controls.enablePan = false;
    this.controls.minDistance = 8;
    this.controls.maxDistance = 5000;
    this.view = 'chase';
    this.aircraft = new THREE.Group();
    this.scene.add(this.aircraft);
    this.actions = new Map();
    this.position = new THREE.Vector3();
    this.resize();
    window.addEventListener('resize', () => this.resize());
  }

  async load(glb) {
    const gltf = await new GLTFLoader().parseAsync(glb, '');
    this.model = gltf.scene;
    mergeStaticParts(this.model);
    this.aircraft.add(this.model);
    this.aircraft.add(this.pilot);
    this.pilot.position.copy(EYE);
    this.mixer = new THREE.AnimationMixer(this.model);
    for (const clip of gltf.animations) {
      const action = this.mixer.clipAction(clip);
      action.play();
      action.paused = true;
      this.actions.set(clip.name, action);
    }
  }

  // Chase camera behind and above the aircraft as it is at t.
  placeChase(t) {
    const i = this.track.rowAt(t);
    worldPosition(this.track, t, i, this.position);
    const h = this.track.values('heading_deg')[i] * DEG;
    const behind = new THREE.Vector3(-Math.sin(h) * 22 - Math.cos(h) * 10, 4, Math.cos(h) * 22 - Math.sin(h) * 10);
    this.chase.position.copy(this.position).add(behind);
    this.controls.target.copy(this.position);
    this.controls.update();
  }

  setView(view) {
    this.view = view;
    this.controls.enabled = view === 'chase';
  }

  // Poses the aircraft at t: position and attitude between rows, the
  // animations as the track holds them.
  pose(t) {
    const tr = this.track;
    const i = tr.rowAt(t);
    const before = this.position.clone();
    worldPosition(tr, t, i, this.position);
    this.aircraft.position.copy(this.position);
    this.aircraft.rotation.set(
      tr.lerp('pitch_deg', t, i, true) * DEG,
      -tr.lerp('heading_deg', t, i, true) * DEG,
      -tr.lerp('bank_deg', t, i, true) * DEG,
      'YXZ',
    );
    for (const [name, action] of this.actions) {
      const column = tr.columns[`anim.${name}`];
      if (!column) continue;
      // A wheel's spin wraps from 1 to 0: between rows it would turn back.
      const state = name === 'wheel_roll' ? column.values[i] : tr.lerp(`anim.${name}`, t, i);
      action.time = Math.min(Math.max(state, 0), 1);
    }
    if (this.mixer) this.mixer.update(0);
    // The chase camera keeps its offset while the aircraft moves.
    const moved = this.position.clone().sub(before);
    this.chase.position.add(moved);
    this.controls.target.copy(this.position);
    this.controls.update();
    this.ground.position.set(Math.round(this.position.x / 1000) * 1000, 0, Math.round(this.position.z / 1000) * 1000);
    this.sun.target.position.copy(this.position);
    this.sun.position.copy(this.position).add(new THREE.Vector3(400, 1000, 300));
  }

  // Resolution while playing: software WebGL fills every pixel on the CPU, so
  // a slow machine plays at fewer pixels (down to half a side) and stays
  // smooth; a paused view is drawn at full resolution.
  setScale(scale) {
    if (scale === this.scale) return;
    this.scale = scale;
    this.renderer.setPixelRatio(Math.min(window.devicePixelRatio, 2) * scale);
    this.resize();
  }

  render() {
    this.renderer.render(this.scene, this.view === 'chase' ? this.chase : this.pilot);
  }

  resize() {
    const el = this.renderer.domElement.parentElement;
    const w = el ? el.clientWidth : window.innerWidth;
    const h = el ? el.clientHeight : window.innerHeight;
    this.renderer.setSize(w, h);
    for (const cam of [this.chase, this.pilot]) {
      cam.aspect = w / h;
      cam.updateProjectionMatrix();
    }
  }

  // Height of the chase camera over the aircraft (m).
  cameraAbove() {
    return this.chase.position.y - this.position.y;
  }

  // Test hook: pixels where the named parts show from the camera, each part
  // drawn white over everything else in black, depth-tested as usual.
  visiblePixels(pattern) {
    const white = new THREE.MeshBasicMaterial({ color: 0xffffff });
    const black = new THREE.MeshBasicMaterial({ color: 0x000000 });
    const saved = [];
    this.scene.traverse((o) => {
      if (!o.isMesh) return;
      saved.push([o, o.material]);
      let hit = false;
      for (let p = o; p && p !== this.model; p = p.parent) hit ||= pattern.test(p.name);
      o.material = hit && this.model && isInside(o, this.model) ? white : black;
    });
    this.renderer.setClearColor(0x000000, 1);
    this.render();
    const gl = this.renderer.getContext();
    const w = gl.drawingBufferWidth;
    const h = gl.drawingBufferHeight;
    const px = new Uint8Array(w * h * 4);
    gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, px);
    for (const [o, m] of saved) o.material = m;
    this.renderer.setClearColor(0x000000, 0);
    this.render();
    // Count and centroid, in drawing-buffer pixels from the top left.
    let count = 0;
    let x = 0;
    let y = 0;
    for (let k = 0; k < px.length; k += 4) {
      if (px[k] <= 128) continue;
      count++;
      x += (k / 4) % w;
      y += h - 1 - Math.floor(k / 4 / w);
    }
    return { count, x: count ? x / count : 0, y: count ? y / count : 0 };
  }
}

function isInside(o, root) {
  for (let p = o; p; p = p.parent) if (p === root) return true;
  return false;
}
