// page.js: starts the game in the page and tells the player when it cannot run or has ended.
// Loaded before velkarovantine.js, which picks up the Module object defined here.
'use strict';

// What the page says in each state the game can end up in.
var MESSAGES = {
  quit: 'Thanks for playing Velkarovantine. Reload the page to play again.',
  nowebgl: 'Velkarovantine needs WebGL, which this browser does not offer right now. ' +
      'Turn on WebGL or hardware acceleration in the browser settings and reload the page.',
  contextlost: 'The browser took the graphics away from the game. The game is paused and ' +
      'goes on by itself once the graphics are back.',
  error: 'Velkarovantine could not start. Reload the page to try again.'
};

var gameState = 'running';
var canvas = document.getElementById('canvas');
var message = document.getElementById('message');

// Shows the state's message, or none while the game runs; a game that is over hides its canvas.
function setGameState(state) {
  gameState = state;
  var text = MESSAGES[state] || '';
  message.textContent = text;
  message.hidden = text === '';
  canvas.hidden = state === 'quit' || state === 'nowebgl' || state === 'error';
}

var Module = {
  canvas: canvas,
  setGameState: setGameState,
  readCounters: null,  // set by the game once it runs
  onAbort: function() {
    setGameState('error');
  }
};

// For tests and benchmarks: the input the game's handlers received, {count, events}.
window.velkInput = function() {
  return Module.readInput ? Module.readInput() : { count: 0, events: [] };
};

// For tests and benchmarks: timer callbacks run, frames drawn, and the game's state.
window.velkStats = function() {
  var counters = Module.readCounters ? Module.readCounters() : { ticks: 0, frames: 0 };
  return { ticks: counters.ticks, frames: counters.frames, state: gameState };
};

// After one visit the game starts with no network: the service worker keeps this build's files.
// Browsers offer workers to secure origins only (HTTPS, or this machine) and never to file: pages;
// where they refuse (an insecure origin, a private window) the page simply needs the network.
if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  window.addEventListener('load', function() {
    navigator.serviceWorker.register('service_worker.js').catch(function() {});
  });
}
