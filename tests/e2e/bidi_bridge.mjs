// bidi_bridge.mjs: one Firefox, driven over WebDriver BiDi by puppeteer-core, for firefox.py. It
// reads one JSON command a line on stdin and answers each, in order, with one JSON line on stdout:
// {"value": ...} or {"error": "..."}.
//
//   {"cmd": "launch", "executable": PATH, "width": W, "height": H, "env": {...}}
//   {"cmd": "goto", "url": URL}           loads URL in the page; the top document is current again
//   {"cmd": "evaluate", "script": BODY, "args": [...]}
//                                         runs BODY as a function's body with `arguments` set, in
//                                         the current document; answers what it returns
//   {"cmd": "frame", "name": ID}          makes the iframe with that id current; null: the top
//   {"cmd": "screenshot"}                 the viewport as a base64 PNG
//   {"cmd": "input", "device": "mouse" | "keyboard", "action": METHOD, "args": [...]}
//                                         page.mouse.move(x, y), .down({button}), .wheel({deltaY}),
//                                         page.keyboard.down(KeyboardEvent.key), .up(...)
//   {"cmd": "viewport", "width": W, "height": H}
//   {"cmd": "console"}                    [{level, text}] logged since the last call
//   {"cmd": "close"}
import readline from 'node:readline';
import puppeteer from 'puppeteer-core';

let browser = null, page = null, frame = null, logged = [];

async function launch(c) {
    browser = await puppeteer.launch({
        browser: 'firefox', executablePath: c.executable, headless: false,
        env: {...process.env, ...c.env}, defaultViewport: {width: c.width, height: c.height},
    });
    page = (await browser.pages())[0] || await browser.newPage();
    frame = page.mainFrame();
    // Console calls and uncaught errors of the page, and what the browser reports for it (a
    // blocked load, for one), which Firefox hands over as script errors.
    page.on('console', m => logged.push({level: m.type() === 'warn' ? 'warning' : m.type(),
                                         text: m.text()}));
    page.on('pageerror', e => logged.push({level: 'error', text: e.message || String(e)}));
    return null;
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
    input: c => page[c.device][c.action](...c.args),
    viewport: c => page.setViewport({width: c.width, height: c.height}),
    console: () => { const all = logged; logged = []; return all; },
    close: async () => { if (browser) await browser.close(); browser = null; return null; },
};

async function answer(line) {
    try {
        const c = JSON.parse(line), value = await COMMANDS[c.cmd](c);
        return {value: value === undefined ? null : value};
    } catch (e) {
        return {error: String(e && e.stack || e)};
    }
}

// Commands run one after the other, in the order they came.
let queue = Promise.resolve();
const input = readline.createInterface({input: process.stdin});
input.on('line', line => {
    queue = queue.then(() => answer(line))
                 .then(a => process.stdout.write(JSON.stringify(a) + '\n'));
});
input.on('close', () => queue.then(() => browser && browser.close()).then(() => process.exit(0)));
