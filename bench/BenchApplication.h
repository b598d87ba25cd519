#pragma once

// The forms need an application object and a screen of at least 1024 x 768: an offscreen one of
// 1280 x 1024 with the control types registered and message boxes answered by their default
// button, made on first use by whichever benchmark of the run needs it first. The screen size is
// stored as start-up would store it. With QT_QPA_PLATFORM=xcb set (and an X server of at least that
// size on DISPLAY) the benchmarks run on X instead.
void EnsureBenchApplication();

// Unloads every form, destroys the default instances, closes the shared connection and deletes the
// application object, when one was made; main calls it before it returns.
void EndBenchApplication();

// Points the program folder at one holding the demo bank, built once per run.
void UseDemoFolder();
