// make test-web: the web page in Debian's chromium, headless, driven through
// puppeteer-core. The page is served from 127.0.0.1 by this script; the
// browser starts with a fresh profile folder, and is started a second time
// on the same folder to see what the page kept.
//
// Each check names the fault it catches. Figures (load time, frames per
// second, processor use) are printed, never checked.
//
//   node web_test.mjs PAGE_FOLDER [--only=NAME]

import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

const pageFolder = path.resolve(process.argv[2] || "build-web/page");
const only = (process.argv.find((a) => a.startsWith("--only=")) || "").slice(7);
const chromium = process.env.CHROMIUM || "/usr/bin/chromium";
const shots = path.join(path.dirname(pageFolder), "test-web");
fs.mkdirSync(shots, { recursive: true });

// The panel of the default desktop profile, and the window the page is seen
// in: a whole factor of 2 fits it, with bars left and right.
const PANEL = { width: 480, height: 640 };
const VIEW = { width: 1000, height: 1300 };

const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".data": "application/octet-stream", ".png": "image/png" };

function serve(folder) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(folder, name === "/" ? "index.html" : name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

function launch(profile) {
  return puppeteer.launch({
    executablePath: chromium,
    headless: false,  // the flag below, as the closed network wants it
    userDataDir: profile,
    defaultViewport: VIEW,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           `--window-size=${VIEW.width},${VIEW.height}`],
  });
}

// Measures the loudest sample the page's sound output gives the browser.
function listenToSound() {
  window.karrowenTestSoundPeak = 0;
  const setter = Object.getOwnPropertyDescriptor(ScriptProcessorNode.prototype, "onaudioprocess").set;
  Object.defineProperty(ScriptProcessorNode.prototype, "onaudioprocess", {
    configurable: true,
    set(handler) {
      setter.call(this, function(event) {
        handler.call(this, event);
        for (let c = 0; c < event.outputBuffer.numberOfChannels; ++c) {
          const samples = event.outputBuffer.getChannelData(c);
          for (let i = 0; i < samples.length; ++i)
            window.karrowenTestSoundPeak = Math.max(window.karrowenTestSoundPeak, Math.abs(samples[i]));
        }
      });
    },
  });
}

// A page of the game, with what it prints collected line by line.
class GamePage {
  constructor(browser, base) {
    this.browser = browser;
    this.base = base;
    this.lines = [];
    this.dialogs = [];
  }

  async open(query) {
    this.page = await this.browser.newPage();
    await this.page.evaluateOnNewDocument(listenToSound);
    this.page.on("console", (message) => this.lines.push(message.text()));
    this.page.on("pageerror", (error) => this.lines.push("page error: " + error.message));
    this.page.on("dialog", (dialog) => { this.dialogs.push(dialog.message()); dialog.dismiss(); });
    this.started = Date.now();
    await this.page.goto(this.base + query);
    return this;
  }

  // The first printed line (from `from` on) that matches; throws after `seconds`.
  async waitForLine(pattern, seconds, from = 0) {
    const deadline = Date.now() + seconds * 1000;
    for (;;) {
      const index = this.lines.findIndex((line, i) => i >= from && pattern.test(line));
      if (index >= 0) return { index, match: this.lines[index].match(pattern) };
      if (Date.now() > deadline)
        throw new Error(`no line like ${pattern} within ${seconds} s; last lines:\n  ` + this.lines.slice(-8).join("\n  "));
      await new Promise((r) => setTimeout(r, 100));
    }
  }

  // The canvas's place on the page, and the page point of a panel pixel.
  async canvasBox() {
    return this.page.$eval("#canvas", (c) => {
      const r = c.getBoundingClientRect();
      return { x: r.left, y: r.top, width: r.width, height: r.height };
    });
  }
  async pointOf(x, y) {
    const box = await this.canvasBox();
    const scale = box.width / PANEL.width;
    return { x: box.x + (x + 0.5) * scale, y: box.y + (y + 0.5) * scale };
  }
  async tap(x, y) {
    const p = await this.pointOf(x, y);
    await this.page.touchscreen.tap(p.x, p.y);
  }
  async click(x, y) {
    const p = await this.pointOf(x, y);
    await this.page.mouse.click(p.x, p.y);
  }

  // The share of the canvas's area that is lit, as the browser shows it (a
  // screenshot: a WebGL canvas cannot be read back once it is shown).
  async litShare() {
    const box = await this.canvasBox();
    if (box.width === 0) return 0;
    const shot = await this.page.screenshot({ encoding: "base64", clip: box });
    return this.page.evaluate(async (png) => {
      const image = new Image();
      image.src = "data:image/png;base64," + png;
      await image.decode();
      const probe = document.createElement("canvas");
      probe.width = 48;
      probe.height = 64;
      const g = probe.getContext("2d");
      g.drawImage(image, 0, 0, 48, 64);
      const pixels = g.getImageData(0, 0, 48, 64).data;
      let lit = 0;
      for (let i = 0; i < pixels.length; i += 4) lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 60 ? 1 : 0;
      return lit / (48 * 64);
    }, shot);
  }

  // The first picture: the loading bar is gone and the canvas is mostly lit.
  // Returns the milliseconds since the page was asked for.
  async waitForPicture(seconds) {
    const deadline = Date.now() + seconds * 1000;
    for (;;) {
      const loading = await this.page.$eval("#loading", (e) => !e.hidden);
      if (!loading && (await this.litShare()) > 0.25) return Date.now() - this.started;
      if (Date.now() > deadline)
        throw new Error(`no picture within ${seconds} s; last lines:\n  ` + this.lines.slice(-8).join("\n  "));
      await new Promise((r) => setTimeout(r, 100));
    }
  }

  async playerFile(relative) {
    return this.page.evaluate((file) => {
      try { return Module.FS.readFile("/home/player/" + file, { encoding: "utf8" }); } catch (e) { return null; }
    }, relative);
  }

  async close() { await this.page.close(); }
}

// Processor seconds used so far by a process and all its descendants (Linux).
function processorSeconds(root) {
  const children = new Map();
  const ticks = new Map();
  for (const entry of fs.readdirSync("/proc")) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, "utf8");
      const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
      const parent = Number(fields[1]);
      ticks.set(Number(entry), Number(fields[11]) + Number(fields[12]));
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
    } catch (e) { /* the process ended meanwhile */ }
  }
  let total = 0;
  const pending = [root];
  while (pending.length) {
    const pid = pending.pop();
    total += ticks.get(pid) || 0;
    pending.push(...(children.get(pid) || []));
  }
  return total / 100;  // USER_HZ
}

// Frames per second and processor use of the browser over `seconds`.
async function measure(game, seconds) {
  const pid = game.browser.process().pid;
  const frames0 = await game.page.evaluate(() => karrowenPage.framesShown());
  const cpu0 = processorSeconds(pid), t0 = Date.now();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const frames1 = await game.page.evaluate(() => karrowenPage.framesShown());
  const cpu1 = processorSeconds(pid), elapsed = (Date.now() - t0) / 1000;
  return { fps: (frames1 - frames0) / elapsed, cpu: (100 * (cpu1 - cpu0)) / elapsed };
}

const results = [];
async function check(name, body) {
  if (only && name !== only) return;
  const began = Date.now();
  try {
    await body();
    results.push(true);
    console.log(`ok   ${name} (${((Date.now() - began) / 1000).toFixed(1)} s)`);
  } catch (error) {
    results.push(false);
    console.log(`FAIL ${name}: ${error.message}`);
  }
}

function expect(condition, what) {
  if (!condition) throw new Error(what);
}

const LEVEL = /^karrowen: level (\d+) started \(score (\d+), lives (\d+)\)$/;

const server = await serve(pageFolder);
const base = `http://127.0.0.1:${server.address().port}/`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "karrowen-web-test-"));
let browser = await launch(profile);
console.log(`karrowen web test: ${chromium}, page ${pageFolder}, profile ${profile}`);

try {
  // Faults: a page that never shows the game (a load or start-up failure),
  // a canvas not scaled by a whole factor or not centred, keys that do not
  // reach the game, and a relaunch from the front end that does not start
  // the level in the reloaded page.
  await check("cover", async () => {
    const game = await new GamePage(browser, base).open("");
    const firstPicture = await game.waitForPicture(120);
    console.log(`     the first picture ${firstPicture} ms after the page was asked for`);
    await game.page.screenshot({ path: path.join(shots, "cover.png") });
    const box = await game.canvasBox();
    expect(box.width === 2 * PANEL.width && box.height === 2 * PANEL.height,
           `the canvas is ${box.width}x${box.height}, not twice the panel`);
    expect(Math.abs(box.x - (VIEW.width - box.width) / 2) <= 1 && Math.abs(box.y - (VIEW.height - box.height) / 2) <= 1,
           `the canvas is not centred: at ${box.x},${box.y}`);
    for (let press = 0; press < 4 && !game.lines.some((l) => LEVEL.test(l)); ++press) {
      await game.page.keyboard.press("Enter");
      await new Promise((r) => setTimeout(r, 1500));
    }
    const { match } = await game.waitForLine(LEVEL, 60);
    expect(match[0] === "karrowen: level 1 started (score 0, lives 0)", `the page printed "${match[0]}"`);
    await new Promise((r) => setTimeout(r, 1000));
    await game.page.screenshot({ path: path.join(shots, "level1.png") });
    await game.close();
  });

  // Faults: the relaunch as a reload losing the host options (seed,
  // autoplay) or the carried score and lives; a page that is silent during
  // a level (sound never mixed without the output thread, or never started
  // by the first key).
  await check("autoplay-reload-and-sound", async () => {
    const game = await new GamePage(browser, base).open("?seed=5&autoplay&stop-at-level=2&cmd=ARG:");
    const first = await game.waitForLine(LEVEL, 120);
    expect(first.match[1] === "1" && first.match[2] === "0", `the first level line is "${first.match[0]}"`);
    // The browser lets sound start with the first press on the page (here
    // beside the canvas, where the game sees nothing).
    await game.page.mouse.click(2, 2);
    const figures = await measure(game, 10);
    console.log(`     during level 1: ${figures.fps.toFixed(1)} frames per second, ` +
                `${figures.cpu.toFixed(0)}% of one processor for the whole browser`);
    const peak = await game.page.evaluate(() => window.karrowenTestSoundPeak);
    console.log(`     loudest sample during level 1: ${peak.toFixed(3)}`);
    expect(peak > 0.01, `the sound output is silent (peak ${peak})`);
    const second = await game.waitForLine(LEVEL, 300, first.index + 1);
    const address = new URL(game.page.url());
    expect(second.match[1] === "2", `the next level line is "${second.match[0]}"`);
    expect(Number(second.match[2]) > 0, "level 1 scored nothing: the autoplay did not play");
    expect(address.searchParams.get("seed") === "5" && address.searchParams.has("autoplay"),
           `the reloaded address lost the host options: ${address.search}`);
    expect(address.searchParams.get("cmd") === `ARG:Level:2,Score:${second.match[2]},Lifes:${second.match[3]}`,
           `the reloaded address carries "${address.searchParams.get("cmd")}" but the level says "${second.match[0]}"`);
    await game.close();
  });

  // Faults: a stylus that only a mouse drives, so a touch screen cannot
  // play; the tap must press the intro's Exit button and end the game.
  await check("tap-is-the-stylus", async () => {
    const game = await new GamePage(browser, base).open("?cmd=ARG:intro");
    await game.waitForPicture(120);
    await game.tap(152, 474);  // Exit
    await game.page.waitForFunction(() => !document.getElementById("ended").hidden, { timeout: 30000 });
    await game.close();
  });

  // Faults: a setting kept only in the page's memory (never written
  // through to the browser's storage), or not read back from it after a
  // reload or a restart of the browser.
  await check("setting-survives-reload-and-restart", async () => {
    const kept = /soundEffect:selected=1/;
    let game = await new GamePage(browser, base).open("?cmd=ARG:intro");
    await game.waitForPicture(120);
    expect(!kept.test((await game.playerFile(".config/karrowen/gsettings.properties")) || ""),
           "the fresh profile already has the setting");
    await game.click(152, 346);  // Settings
    await new Promise((r) => setTimeout(r, 1500));
    await game.click(346, 288);  // sound effects Off
    await new Promise((r) => setTimeout(r, 500));
    await game.click(240, 608);  // Back
    await new Promise((r) => setTimeout(r, 1500));
    const written = (await game.playerFile(".config/karrowen/gsettings.properties")) || "";
    expect(kept.test(written), `the settings page wrote "${written}"`);
    await game.page.reload();
    await game.waitForPicture(120);
    expect(kept.test((await game.playerFile(".config/karrowen/gsettings.properties")) || ""),
           "the setting is gone after a reload");
    await game.close();

    await browser.close();
    browser = await launch(profile);
    game = await new GamePage(browser, base).open("?cmd=ARG:intro");
    await game.waitForPicture(120);
    expect(kept.test((await game.playerFile(".config/karrowen/gsettings.properties")) || ""),
           "the setting is gone after the browser was restarted");
    await game.close();
  });
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

const passed = results.filter(Boolean).length;
console.log(`${passed} passed, ${results.length - passed} failed`);
process.exit(results.length > 0 && passed === results.length ? 0 : 1);
