// The fleet page: one tile per station, each showing the station's own /tile view, which
// streams from the station itself. The fleet program pushes the list of stations (their
// addresses and restart counts) over Server-Sent Events whenever it changes; nothing is polled.
"use strict";

const tiles = new Map();
const board = document.getElementById("tiles");
const link = document.getElementById("link");

// A page of the station, with its token when it has one.
function stationPage(entry, path) {
  const address = new URL(path, entry.url + "/");
  if (entry.token) address.searchParams.set("token", entry.token);
  return address.href;
}

function makeTile(entry) {
  const tile = document.getElementById("tile").content.firstElementChild.cloneNode(true);
  tile.dataset.name = entry.name;
  tile.querySelector(".name").textContent = entry.name;
  tile.querySelector(".view").title = entry.name;
  tile.querySelector(".open").setAttribute("aria-label", "open " + entry.name);
  tiles.set(entry.name, tile);
  return tile;
}

function showTile(entry) {
  const tile = tiles.get(entry.name) || makeTile(entry);
  const restarts = tile.querySelector(".restarts");
  const known = entry.restarts !== null && entry.restarts !== undefined;
  restarts.textContent = known ? `restarts ${entry.restarts}` : "";
  restarts.classList.toggle("some", known && entry.restarts > 0);
  const count = known ? String(entry.restarts) : "";
  const view = stationPage(entry, "tile");
  // A station started again has a new stream: the view is loaded anew, on the same address
  // or on the new one it took.
  if (tile.dataset.view !== view || restarts.dataset.restarts !== count) {
    tile.dataset.view = view;
    tile.querySelector(".view").src = view;
  }
  restarts.dataset.restarts = count;
  tile.querySelector(".open").href = stationPage(entry, "");
  return tile;
}

function showStations(entries) {
  const names = new Set(entries.map((entry) => entry.name));
  for (const [name, tile] of tiles) {
    if (!names.has(name)) {
      tile.remove();
      tiles.delete(name);
    }
  }
  // A tile already in its place stays put: moving a frame would load its view anew.
  entries.forEach((entry, index) => {
    const tile = showTile(entry);
    if (board.children[index] !== tile) board.insertBefore(tile, board.children[index] || null);
  });
  document.getElementById("count").textContent =
    entries.length === 1 ? "1 station" : `${entries.length} stations`;
}

const events = new EventSource("/events");
events.addEventListener("stations", (event) => showStations(JSON.parse(event.data)));
events.addEventListener("open", () => {
  link.textContent = "live";
  link.className = "on";
});
events.addEventListener("error", () => {
  link.textContent = "the fleet program is not reachable; trying again";
  link.className = "off";
});
