"""Procedural generator of the vessel's meshes and sounds.

Everything here is deterministic: no clocks, no `random`, numbers written with
fixed precision, so the same sources give byte-identical files.
"""
