// Fewer draw calls: the meshes that hang under the same node with the same
// material never move against each other, so each such set becomes one mesh.
// Software WebGL pays for every draw call; the exterior has hundreds of parts.
import * as THREE from 'three';
import { mergeGeometries } from 'three/examples/jsm/utils/BufferGeometryUtils.js';

export function mergeStaticParts(root) {
  const parents = new Set();
  root.traverse((o) => {
    if (o.isMesh && o.parent) parents.add(o.parent);
  });
  for (const parent of parents) {
    const byMaterial = new Map();
    for (const child of parent.children) {
      if (!child.isMesh || child.children.length) continue;
      const list = byMaterial.get(child.material) ?? [];
      list.push(child);
      byMaterial.set(child.material, list);
    }
    for (const [material, meshes] of byMaterial) {
      if (meshes.length < 2) continue;
      const geometries = meshes.map((m) => {
        m.updateMatrix();
        return m.geometry.clone().applyMatrix4(m.matrix);
      });
      const merged = new THREE.Mesh(mergeGeometries(geometries), material);
      // The parts' names, for a look-up by name.
      merged.name = meshes.map((m) => m.name).join(' ');
      for (const m of meshes) {
        parent.remove(m);
        m.geometry.dispose();
      }
      for (const g of geometries) g.dispose();
      parent.add(merged);
    }
  }
}
