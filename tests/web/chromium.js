// Starts Debian's Chromium (or the one CHROMIUM names) headless, with the
// profile folder given, for the page test and the page-load benchmark.
// Chromium's own background traffic is switched off, so that any request
// left is the page's.
'use strict';
const puppeteer = require('puppeteer-core');

module.exports = (profile) => puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update',
    '--disable-sync'],
});
