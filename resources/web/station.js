// The station's web view: the live screen from /api/stream, its events, and (on the station
// page) the keyboard and mouse through /api/keys and /api/click. Nothing is polled: every
// request follows a frame, an event or the user.
"use strict";

const tile = document.body.dataset.view === "tile";
const canvas = document.getElementById("screen");
const context = canvas.getContext("2d");

// KeyboardEvent.code to the station's key names (those of `keys`).
const KEY_NAMES = {
  Escape: "esc", PrintScreen: "printscreen", ScrollLock: "scrolllock", Pause: "pause",
  Backquote: "grave", Minus: "minus", Equal: "equal", Backspace: "backspace",
  Insert: "insert", Home: "home", PageUp: "pageup", NumLock: "numlock",
  NumpadDivide: "kpdivide", NumpadMultiply: "kpmultiply", NumpadSubtract: "kpminus",
  Tab: "tab", BracketLeft: "lbracket", BracketRight: "rbracket", Delete: "delete", End: "end",
  PageDown: "pagedown", NumpadAdd: "kpplus", CapsLock: "capslock", Semicolon: "semicolon",
  Quote: "apostrophe", Backslash: "backslash", Enter: "enter", ShiftLeft: "lshift",
  IntlBackslash: "102nd", Comma: "comma", Period: "period", Slash: "slash",
  ShiftRight: "rshift", ArrowUp: "up", NumpadEnter: "kpenter", ControlLeft: "lctrl",
  MetaLeft: "lwin", AltLeft: "lalt", Space: "space", AltRight: "ralt", MetaRight: "rwin",
  ContextMenu: "menu", ControlRight: "rctrl", ArrowLeft: "left", ArrowDown: "down",
  ArrowRight: "right", NumpadDecimal: "kpdecimal",
};
for (let i = 1; i <= 12; ++i) KEY_NAMES["F" + i] = "f" + i;
for (let i = 0; i <= 9; ++i) {
  KEY_NAMES["Digit" + i] = String(i);
  KEY_NAMES["Numpad" + i] = "kp" + i;
}
for (const letter of "ABCDEFGHIJKLMNOPQRSTUVWXYZ") KEY_NAMES["Key" + letter] = letter.toLowerCase();

function $(id) { return document.getElementById(id); }

// A tile framed by a fleet page on another site gets no cookie: its address carries the token.
const token = new URLSearchParams(location.search).get("token");
const tokenHeaders = token ? { "X-QX44-Token": token } : {};

async function getJson(path) {
  const answer = await fetch(path, { cache: "no-store", headers: tokenHeaders });
  return answer.json();
}

// Keys and clicks go one after another, in the order they happened.
let sending = Promise.resolve();
function post(path, body) {
  sending = sending.then(() => fetch(path, {
    method: "POST", headers: { "Content-Type": "application/json", ...tokenHeaders },
    body: JSON.stringify(body),
  })).catch(() => {});
  return sending;
}

// --- the screen ---

let frameNumber = 0;
let shownNumber = 0;
let geometry = null;

function fit() {
  const box = $("frame").getBoundingClientRect();
  const scale = Math.min(box.width / canvas.width, box.height / canvas.height) || 1;
  const width = Math.floor(canvas.width * scale);
  canvas.style.width = width + "px";
  canvas.style.height = Math.floor(canvas.height * scale) + "px";
  canvas.style.left = Math.floor((box.width - width) / 2) + "px";
}
// The box changes with the window and with the texts beside it.
new ResizeObserver(fit).observe($("frame"));

async function showFrame(blob, stream) {
  const number = ++frameNumber;
  const picture = await createImageBitmap(blob);
  // Drawn (or passed over): the station may send the next one.
  if (stream.readyState === WebSocket.OPEN) stream.send("ack");
  if (number < shownNumber) {
    picture.close();
    return;
  }
  shownNumber = number;
  if (canvas.width !== picture.width || canvas.height !== picture.height) {
    canvas.width = picture.width;
    canvas.height = picture.height;
    geometry = null;
    fit();
  }
  context.drawImage(picture, 0, 0);
  picture.close();
  canvas.dataset.frames = String(number);
  if (!tile) refreshTexts();
}

// The text screen's grid as the station lays it out: equal cells, the pixels left over going
// one each to the rightmost columns and bottom rows; the status line fills the rest below.
async function loadGeometry() {
  const screen = await getJson("/api/screen");
  const first = await getJson("/api/cell?c=0&r=0");
  const last = await getJson(`/api/cell?c=${screen.columns - 1}&r=${screen.rows - 1}`);
  const width = last.x + last.width;
  const height = last.y + last.height;
  geometry = {
    columns: screen.columns, rows: screen.rows, width, height,
    cellWidth: first.width, cellHeight: first.height,
    firstWide: screen.columns - (width - screen.columns * first.width),
    firstTall: screen.rows - (height - screen.rows * first.height),
  };
  return geometry;
}

function cellIndex(position, base, firstLarger, count) {
  const plain = firstLarger * base;
  const index = position < plain ? Math.floor(position / base)
                                 : firstLarger + Math.floor((position - plain) / (base + 1));
  return Math.min(index, count - 1);
}

async function click(event) {
  canvas.focus();
  if (event.button !== 0) return;
  const bounds = canvas.getBoundingClientRect();
  const x = (event.clientX - bounds.left) * canvas.width / bounds.width;
  const y = (event.clientY - bounds.top) * canvas.height / bounds.height;
  const grid = geometry || await loadGeometry();
  const double = event.detail === 2;
  const column = cellIndex(x, grid.cellWidth, grid.firstWide, grid.columns);
  if (y >= grid.height) {
    // The status line has the text screen's columns across the same width.
    post("/api/click", { status: column, double });
  } else {
    post("/api/click", { c: column, r: cellIndex(y, grid.cellHeight, grid.firstTall, grid.rows),
                         double });
  }
}

// --- keys ---

const held = new Set();

function key(event, down) {
  const name = KEY_NAMES[event.code];
  if (!name) return;
  event.preventDefault();
  if (down) {
    held.add(name);
  } else if (!held.delete(name)) {
    return;
  }
  post("/api/keys", down ? { down: name } : { up: name });
}

function releaseAll() {
  for (const name of held) post("/api/keys", { up: name });
  held.clear();
}

// --- texts and events ---

let textsPending = false;
function refreshTexts() {
  if (textsPending) return;
  textsPending = true;
  setTimeout(async () => {
    textsPending = false;
    try {
      const status = await getJson("/api/status");
      $("status").textContent = status.ok ? status.text : "";
      showHost(await getJson("/api/host"));
    } catch (failure) {
      // The next frame asks again.
    }
  }, 250);
}

function showHost(host) {
  if (!host || host.ok === false) return;
  $("host").textContent = host.connected ? "host " + host.peer : "no host";
  $("host").className = host.connected ? "on" : "off";
  const counters = $("counters");
  if (counters && host.bytesIn !== undefined) {
    counters.textContent = `in ${host.messagesIn} msgs / ${host.bytesIn} B, ` +
                           `out ${host.messagesOut} msgs / ${host.bytesOut} B`;
  }
}

function addReceipt(text) {
  if (tile) {
    const lines = text.split("\n").filter((line) => line.trim() !== "");
    $("last-receipt").textContent = lines.length ? lines[lines.length - 1] : "";
    return;
  }
  const receipt = document.createElement("pre");
  receipt.className = "receipt";
  receipt.textContent = text;
  $("receipts").appendChild(receipt);
}

function serialLog(port) {
  let log = document.getElementById("serial-" + port);
  if (!log) {
    const title = document.createElement("h2");
    title.textContent = "COM" + port;
    log = document.createElement("pre");
    log.id = "serial-" + port;
    log.className = "serial-log";
    $("serial").append(title, log);
  }
  return log;
}

function onEvent(event) {
  switch (event.event) {
  case "state":
    showHost(event.host);
    break;
  case "host":
    $("host").textContent = event.connected ? "host " + event.peer : "no host";
    $("host").className = event.connected ? "on" : "off";
    if (!tile) refreshTexts();
    break;
  case "receipt":
    addReceipt(event.text);
    break;
  case "serial":
    if (!tile) serialLog(event.port).textContent += event.data;
    break;
  case "player":
    if (!tile) $("player").textContent = event.shown ? "player shown" : "";
    break;
  }
}

async function loadDevices() {
  const printer = await getJson("/api/printer");
  if (printer.ok) {
    for (const text of printer.receipts) addReceipt(text);
  }
  for (let port = 1; port <= 8; ++port) {
    const serial = await getJson("/api/serial/" + port);
    if (serial.ok && serial.kind === "virtual" && !tile) serialLog(port).textContent = serial.text;
  }
}

function connect() {
  const scheme = location.protocol === "https:" ? "wss:" : "ws:";
  const query = token ? "?token=" + encodeURIComponent(token) : "";
  const stream = new WebSocket(`${scheme}//${location.host}/api/stream${query}`);
  stream.binaryType = "blob";
  stream.onopen = () => {
    $("link").textContent = "live";
    $("link").className = "on";
  };
  stream.onmessage = (message) => {
    if (typeof message.data === "string") {
      onEvent(JSON.parse(message.data));
    } else {
      showFrame(message.data, stream);
    }
  };
  stream.onclose = () => {
    $("link").textContent = "not connected";
    $("link").className = "off";
    setTimeout(connect, 2000);
  };
}

if (!tile) {
  canvas.addEventListener("keydown", (event) => key(event, true));
  canvas.addEventListener("keyup", (event) => key(event, false));
  canvas.addEventListener("blur", releaseAll);
  canvas.addEventListener("mousedown", click);
  canvas.addEventListener("contextmenu", (event) => event.preventDefault());
}
fit();
loadDevices().catch(() => {}).finally(connect);
