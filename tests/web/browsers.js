// Starts one of the three browser engines from Debian's own packages and
// drives it one way for the page test and the page benchmark:
// Chromium and Firefox through puppeteer-core, WebKit (WebKitGTK's
// MiniBrowser, under Xvfb) through its WebDriver and selenium-webdriver.
// Nothing is downloaded, and each browser's own background traffic is
// switched off, so that any request left is the page's.
//
//   launch(engine, scratch) -> {engine, open(url, {downloads}), downloads, close()}
//
// A page from open() has eval(fn, ...args), type(text), press(key), hold(key, ms)
// (Chromium and Firefox),
// ctrl(key, modifier) (the key with Control, or the modifier, held),
// click(selector), paste(text), resize(width, height), reload(), close(),
// and the network requests and errors it has seen; dialogs are answered
// yes. Downloads, allowed or denied, go into `downloads`. open() also takes
// a `phone` size to open at (with touch, in Chromium), and in Chromium and
// Firefox a colour `scheme` to emulate and a `beforeLoad` function to run
// in each document first; their pages have media(type) to emulate print,
// and crash() to kill the page's renderer (Chromium). launch() takes extra
// command-line `args` for Chromium.
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const net = require('net');
const path = require('path');
const puppeteer = require('puppeteer-core');

const ENGINES = ['chromium', 'firefox', 'webkit'];
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

function watch(page, seen) {
  page.on('request', (request) => {
    if (!/^(file|data|blob|about):/.test(request.url())) {
      seen.network.push(request.url());
    }
  });
  page.on('pageerror', (error) => seen.errors.push(String(error)));
}

async function launchPuppeteer(engine, downloads, profile, args) {
  const browser = engine === 'chromium' ?
    await puppeteer.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      userDataDir: profile,
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update',
        '--disable-sync', ...args],
    }) :
    await puppeteer.launch({
      browser: 'firefox',
      executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
      headless: true,
      userDataDir: profile,
      // Downloads are set by preference: Firefox ESR 140, Debian 12's
      // before its security updates, has no WebDriver command for them.
      extraPrefsFirefox: {'network.captive-portal-service.enabled': false,
        'network.connectivity-service.enabled': false,
        'browser.download.folderList': 2, 'browser.download.dir': downloads,
        'browser.download.useDownloadDir': true,
        'browser.download.always_ask_before_handling_new_types': false},
    });
  return {
    engine,
    downloads,
    async open(url, {downloads: policy = 'allow', scheme, phone, beforeLoad} = {}) {
      const context = await browser.createBrowserContext(engine === 'firefox' ?
        {} : {downloadBehavior: {policy, downloadPath: downloads}});
      const page = await context.newPage();
      const seen = {network: [], errors: []};
      watch(page, seen);
      // The question before leaving, and Start over's, are answered yes.
      page.on('dialog', (dialog) => dialog.accept());
      if (beforeLoad) {
        await page.evaluateOnNewDocument(beforeLoad);
      }
      if (scheme) {
        await page.emulateMediaFeatures([{name: 'prefers-color-scheme', value: scheme}]);
      }
      // Touch is set before the page loads: setting it later reloads it.
      const touch = phone && engine === 'chromium' ? {hasTouch: true, isMobile: true} : {};
      if (phone) {
        await page.setViewport({width: phone[0], height: phone[1], ...touch});
      }
      await page.goto(url);
      const ctrl = async (key, modifier = 'Control') => {
        await page.keyboard.down(modifier);
        await page.keyboard.press(key);
        await page.keyboard.up(modifier);
      };
      return {
        ...seen,
        eval: (fn, ...args) => page.evaluate(fn, ...args),
        type: (text) => page.keyboard.type(text),
        press: (key) => page.keyboard.press(key),
        // A key held down for `ms`, repeating as a keyboard does (Chromium
        // marks each press after the first as a repeat).
        hold: async (key, ms) => {
          for (let held = 0; held < ms; held += 33) {
            await page.keyboard.down(key);
            await new Promise((resolve) => setTimeout(resolve, 33));
          }
          await page.keyboard.up(key);
        },
        ctrl,
        click: (selector) => page.click(selector),
        // Firefox takes no data from a made-up paste event, so the text
        // goes through the clipboard, with the keys a player would press.
        paste: engine === 'firefox' ? async (text) => {
          await page.evaluate(putOnClipboardAtNextCopy, text);
          await ctrl('c');
          await ctrl('v');
        } : (text) => page.evaluate(dispatchPaste, text),
        resize: (width, height) => page.setViewport({width, height, ...touch}),
        reload: () => page.reload(),
        // As when a phone kills a background tab's renderer: the tab stays,
        // and comes back with a reload.
        crash: () => new Promise((resolve) => {
          page.once('error', resolve);
          page.createCDPSession().then((cdp) => cdp.send('Page.crash').catch(() => {}));
        }),
        media: (type) => page.emulateMediaType(type),
        close: () => context.close(),
      };
    },
    close: () => browser.close(),
  };
}

// Runs in the page.
function putOnClipboardAtNextCopy(text) {
  document.addEventListener('copy', (event) => {
    event.clipboardData.setData('text/plain', text);
    event.preventDefault();
  }, {once: true});
}
// Several texts are pasted one after the other within one task, before
// the page can act on the first.
function dispatchPaste(...texts) {
  for (const text of texts) {
    const data = new DataTransfer();
    data.setData('text/plain', text);
    document.activeElement.dispatchEvent(new ClipboardEvent('paste',
        {clipboardData: data, bubbles: true, cancelable: true}));
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const {port} = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function listening(port, child) {
  for (let i = 0; i < 200; ++i) {
    if (child.exitCode !== null) {
      break;
    }
    const up = await new Promise((resolve) => {
      const socket = net.connect(port, '127.0.0.1', () => {
        socket.end();
        resolve(true);
      });
      socket.on('error', () => resolve(false));
    });
    if (up) {
      return;
    }
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  throw new Error('WebKitWebDriver did not start');
}

// MiniBrowser saves every download, unasked, into the XDG download folder
// of its HOME, which is made here for the purpose.
async function launchWebKit(downloads, home) {
  const {Builder, By, Key} = require('selenium-webdriver');
  fs.mkdirSync(path.join(home, '.config'), {recursive: true});
  fs.writeFileSync(path.join(home, '.config', 'user-dirs.dirs'),
      `XDG_DOWNLOAD_DIR="${downloads}"\n`);
  const port = await freePort();
  // A process group of its own, so that Xvfb goes with the driver.
  const server = childProcess.spawn('xvfb-run',
      ['-a', '-s', '-screen 0 1280x1024x24', 'WebKitWebDriver', `--port=${port}`],
      {detached: true, stdio: 'ignore',
        env: {...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config')}});
  const stop = () => {
    try {
      process.kill(-server.pid, 'SIGTERM');
    } catch (error) {
      if (error.code !== 'ESRCH') {
        throw error;
      }
    }
  };
  let driver;
  try {
    await listening(port, server);
    driver = await new Builder().usingServer(`http://127.0.0.1:${port}`)
        .withCapabilities({browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']},
          unhandledPromptBehavior: 'accept'})
        .build();
  } catch (error) {
    stop();
    throw error;
  }
  const KEYS = {Enter: Key.ENTER, Shift: Key.SHIFT, Control: Key.CONTROL,
    Alt: Key.ALT, Meta: Key.META, Escape: Key.ESCAPE, Tab: Key.TAB, End: Key.END,
    Home: Key.HOME, Backspace: Key.BACK_SPACE};
  const run = (fn, ...args) =>
    driver.executeScript(`return (${fn}).apply(null, arguments);`, ...args);
  // The window's size is set, but MiniBrowser's own bars (and its download
  // bar, once a file is saved) take part of it: the window grows by what
  // they take, so that the page gets the size asked for, or as near as the
  // window's least width allows. setRect returns before the page has its
  // new size, so a reading waits until the page's window is the window's
  // own size and its viewport has held still for three readings.
  const viewport = async ({width, height}) => {
    let last = '';
    for (let waited = 0, held = 0; waited < 10000; waited += 20) {
      const seen = await run(() => [innerWidth, innerHeight, outerWidth, outerHeight]);
      held = seen[2] === width && seen[3] === height && String(seen) === last ? held + 1 : 0;
      if (held === 2) {
        return seen;
      }
      last = String(seen);
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
    throw new Error(`the page's size stayed ${last} in a window of ${width}x${height}`);
  };
  const resize = async (width, height) => {
    const window = driver.manage().window();
    const ask = {width, height};
    for (let tries = 0; tries < 4; ++tries) {
      await window.setRect(ask);
      const got = await window.getRect();
      const [wide, tall] = await viewport(got);
      const next = {width: width + got.width - wide, height: height + got.height - tall};
      if (next.width === ask.width && next.height === ask.height) {
        return;
      }
      Object.assign(ask, next);
    }
  };
  return {
    engine: 'webkit',
    downloads,
    async open(url, {phone} = {}) {
      // Each page a window of its own, whose tab holds no run kept before.
      const used = await driver.getWindowHandle();
      await driver.switchTo().newWindow('window');
      const fresh = await driver.getWindowHandle();
      await driver.switchTo().window(used);
      await driver.close();
      await driver.switchTo().window(fresh);
      await driver.get(url);
      if (phone) {
        await resize(...phone);
      }
      return {
        network: [], errors: [],
        eval: run,
        type: (text) => driver.actions().sendKeys(text).perform(),
        press: (key) => driver.actions().keyDown(KEYS[key] || key)
            .keyUp(KEYS[key] || key).perform(),
        ctrl: (key, modifier = 'Control') => driver.actions().keyDown(KEYS[modifier])
            .keyDown(key).keyUp(key).keyUp(KEYS[modifier]).perform(),
        resize,
        reload: () => driver.navigate().refresh(),
        click: (selector) => driver.findElement(By.css(selector)).click(),
        paste: (text) => run(dispatchPaste, text),
        close: () => driver.get('about:blank'),
      };
    },
    async close() {
      try {
        await driver.quit();
      } finally {
        stop();
      }
    },
  };
}

// The scratch folder is the caller's, and removed by the caller.
async function launch(engine, scratch, {args = []} = {}) {
  if (!ENGINES.includes(engine)) {
    throw new Error(`no such engine: ${engine} (${ENGINES.join(', ')})`);
  }
  const downloads = fs.mkdtempSync(path.join(scratch, `${engine}-downloads-`));
  const profile = fs.mkdtempSync(path.join(scratch, `${engine}-profile-`));
  return engine === 'webkit' ? launchWebKit(downloads, profile) :
    launchPuppeteer(engine, downloads, profile, args);
}

module.exports = {ENGINES, launch, dispatchPaste};
