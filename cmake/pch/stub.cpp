// Compiles nothing of its own: its target only builds a precompiled header.
