"""ombrix: classic 32-bit pseudo-random number generators."""
