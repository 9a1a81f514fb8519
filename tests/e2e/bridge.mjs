// bridge.mjs: one Chromium (over DevTools) or Firefox (over WebDriver BiDi), driven by
// puppeteer-core for engines.py. Each line on stdin is a call [TARGET, METHOD, ...ARGS], answered
// in order with one JSON line on stdout: {"value": ...} or {"error": "..."}. The targets are
// puppeteer's browser, page, mouse and keyboard; "cdp", Chromium's DevTools session; and the
// bridge's own: launch(options) (OPTIONS.env added to ours; answers the version), enter(iframe
// id, or null for the top document), run(body, args) (the function BODY in the document entered,
// its value) and console() ([[level, text]] logged since the last call).
import readline from 'node:readline';
import puppeteer from 'puppeteer-core';

let logged = [], frame = null;
const targets = {};
targets.bridge = {
    async launch(options) {
        const browser = await puppeteer.launch({...options, env: {...process.env, ...options.env}});
        const page = (await browser.pages())[0] || await browser.newPage();
        Object.assign(targets, {browser, page, mouse: page.mouse, keyboard: page.keyboard});
        // A loaded machine may take longer than puppeteer's 30 s to load a page; engines.py
        // waits 120 s for any answer.
        page.setDefaultNavigationTimeout(100000);
        if (options.browser === 'chrome') targets.cdp = await page.createCDPSession();
        // Console calls and uncaught errors of the page, and what the browser reports for it (a
        // blocked load, for one), which Firefox hands over as script errors.
        page.on('console', m => logged.push([m.type() === 'warn' ? 'warning' : m.type(),
                                             m.text()]));
        page.on('pageerror', e => logged.push(['error', e.message || String(e)]));
        page.on('framenavigated', f => { if (f === page.mainFrame()) frame = f; });
        frame = page.mainFrame();
        return browser.version();
    },
    async enter(id) {
        const page = targets.page;
        frame = id === null ? page.mainFrame() : await (await page.$('#' + id)).contentFrame();
    },
    run: (body, args) => frame.evaluate(
        `(function () {${body}\n}).apply(null, ${JSON.stringify(args)})`),
    console() { const all = logged; logged = []; return all; },
};

async function answer(line) {
    try {
        const [target, method, ...args] = JSON.parse(line);
        return JSON.stringify({value: (await targets[target][method](...args)) ?? null});
    } catch (e) {
        return JSON.stringify({error: String(e && e.stack || e)});
    }
}

let queue = Promise.resolve();
const input = readline.createInterface({input: process.stdin});
input.on('line', line => {
    queue = queue.then(() => answer(line)).then(text => process.stdout.write(text + '\n'));
});
input.on('close', () => queue.then(() => targets.browser && targets.browser.close())
                             .then(() => process.exit(0)));
