// The display scale in percent (horizontal pixels per logical inch * 100 / 96), taken once per process.
#pragma once

// Computes the scale from the screen on the first call and keeps that value for the life of the process.
int DisplayScale();
// n scaled by the display scale, rounded as MulDiv rounds.
int Scaled(int n);
