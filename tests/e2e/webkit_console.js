// webkit_console.js: WebKitWebDriver has no log endpoint and no BiDi, and MiniBrowser's console
// setting does not reach the pages it opens for automation, so engines.py runs this in each
// document: listeners that keep what the console would show as an error or a warning.
if (!window.velkConsole) {
  const kept = window.velkConsole = [], keep = (level, text) => kept.push([level, String(text)]);
  addEventListener('error', e => keep('error', e.message ||
      'failed to load ' + (e.target && (e.target.src || e.target.href))), true);
  addEventListener('unhandledrejection', e => keep('error', 'unhandled rejection: ' + e.reason));
  document.addEventListener('securitypolicyviolation', e => keep('error',
      'Content-Security-Policy: ' + e.violatedDirective + ' refused ' + e.blockedURI));
  for (const [name, level] of [['error', 'error'], ['warn', 'warning']]) {
    const original = console[name];
    console[name] = (...words) => { keep(level, words.join(' ')); original.apply(console, words); };
  }
}
