// bidi_bridge.mjs: one Firefox, driven over WebDriver BiDi by puppeteer-core, for the Python
// harness (engines.py). It reads one JSON command a line on stdin and answers each with one JSON
// line on stdout: {"id": N, "value": ...} or {"id": N, "error": "..."}.
//
//   {"cmd": "launch", "executable": PATH, "width": W, "height": H, "env": {...}}
//   {"cmd": "goto", "url": URL}           loads URL in the page; the top document is current again
//   {"cmd": "evaluate", "script": BODY, "args": [...]}
//                                         runs BODY as a function's body with `arguments` set, in
//                                         the current document; answers what it returns
//   {"cmd": "frame", "name": ID}          makes the iframe with that id current; null: the top
//   {"cmd": "screenshot"}                 the viewport as a base64 PNG
//   {"cmd": "pointer", "action": "move" | "down" | "up", "x": X, "y": Y, "button": 0 | 1 | 2}
//   {"cmd": "wheel", "deltaY": DY}        one wheel turn where the pointer last moved to
//   {"cmd": "key", "action": "down" | "up", "key": NAME}   NAME as in KeyboardEvent.key
//   {"cmd": "viewport", "width": W, "height": H}
//   {"cmd": "console"}                    [{level, text}] logged since the last call
//   {"cmd": "close"}
import readline from 'node:readline';
import puppeteer from 'puppeteer-core';

// Globals
let browser = null;
let page = null;
let frame = null;
let logged = [];

// Static helpers
function keep(level, text) { logged.push({level, text}); }

async function launch(c) {
    browser = await puppeteer.launch({
        browser: 'firefox', executablePath: c.executable, headless: false,
        env: {...process.env, ...c.env}, defaultViewport: {width: c.width, height: c.height},
    });
    page = (await browser.pages())[0] || await browser.newPage();
    frame = page.mainFrame();
    // Console calls and uncaught errors of the page, and what the browser reports for it
    // (a blocked load, for one), which Firefox hands over as script errors.
    page.on('console', m => keep(m.type() === 'warn' ? 'warning' : m.type(), m.text()));
    page.on('pageerror', e => keep('error', e.message || String(e)));
    return null;
}

// Buttons numbered as PointerEvent.button.
const BUTTONS = ['left', 'middle', 'right'];

async function pointer(c) {
    if (c.action === 'move') return page.mouse.move(c.x, c.y);
    const options = {button: BUTTONS[c.button || 0]};
    return c.action === 'down' ? page.mouse.down(options) : page.mouse.up(options);
}

const COMMANDS = {
    launch,
    goto: async c => { await page.goto(c.url); frame = page.mainFrame(); return null; },
    evaluate: c => frame.evaluate('(function () {' + c.script + '\n}).apply(null, ' +
                                  JSON.stringify(c.args || []) + ')'),
    frame: async c => {
        frame = c.name === null ? page.mainFrame()
                                : await (await page.$('#' + c.name)).contentFrame();
        return null;
    },
    screenshot: () => page.screenshot({encoding: 'base64'}),
    pointer,
    wheel: c => page.mouse.wheel({deltaY: c.deltaY}),
    key: c => (c.action === 'down' ? page.keyboard.down(c.key) : page.keyboard.up(c.key)),
    viewport: c => page.setViewport({width: c.width, height: c.height}),
    console: () => { const all = logged; logged = []; return all; },
    close: async () => { if (browser) await browser.close(); browser = null; return null; },
};

async function answer(line) {
    const c = JSON.parse(line);
    try {
        const value = await COMMANDS[c.cmd](c);
        return {id: c.id, value: value === undefined ? null : value};
    } catch (e) {
        return {id: c.id, error: String(e && e.stack || e)};
    }
}

// Public functions
// Commands run one after the other, in the order they came.
let queue = Promise.resolve();
const input = readline.createInterface({input: process.stdin});
input.on('line', line => {
    queue = queue.then(() => answer(line))
                 .then(a => process.stdout.write(JSON.stringify(a) + '\n'));
});
input.on('close', () => {
    queue.then(() => browser && browser.close()).then(() => process.exit(0));
});
