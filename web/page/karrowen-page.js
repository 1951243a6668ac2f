// The page around the game: the program line from the address, the canvas
// scaled by whole factors and centred, the loading bar, full screen, the
// pause while the page is hidden, the player's files in the browser's
// storage, and the relaunch of the next level as a reload of the page.
"use strict";

var karrowenPage = (function() {
  var canvas = document.getElementById("canvas");
  var panel = { width: 480, height: 640 };
  var frameWaiters = [];
  var syncFiles = null;      // copies the player's folder into IndexedDB
  var saving = null;         // the copy under way, a promise
  var saveAgain = false;     // a save came while copying
  var framesShown = 0;       // pictures the game waited to see shown

  // "?seed=5&autoplay&cmd=ARG:..." gives "--seed=5 --autoplay -- ARG:...".
  function programArguments() {
    var words = [], command = null;
    new URLSearchParams(location.search).forEach(function(value, name) {
      if (name === "cmd") command = value;
      else words.push(value === "" ? "--" + name : "--" + name + "=" + value);
    });
    if (command !== null) words.push("--", command);
    return words;
  }

  function addressFor(words) {
    var query = new URLSearchParams(), at = words.indexOf("--");
    var options = at < 0 ? words : words.slice(0, at);
    options.forEach(function(word) {
      var text = word.replace(/^--/, ""), equals = text.indexOf("=");
      if (equals < 0) query.append(text, "");
      else query.append(text.slice(0, equals), text.slice(equals + 1));
    });
    if (at >= 0) query.append("cmd", words.slice(at + 1).join(" "));
    return location.pathname + "?" + query.toString().replace(/=(&|$)/g, "$1");
  }

  // The largest whole factor that fits the window, at least 1.
  function fit() {
    var factor = Math.max(1, Math.floor(Math.min(window.innerWidth / panel.width,
                                                 window.innerHeight / panel.height)));
    canvas.style.width = panel.width * factor + "px";
    canvas.style.height = panel.height * factor + "px";
  }

  function setPanelSize(width, height) {
    panel.width = width;
    panel.height = height;
    fit();
  }

  function wakeFrameWaiters() {
    framesShown += frameWaiters.length;
    var waiting = frameWaiters;
    frameWaiters = [];
    waiting.forEach(function(wake) { wake(); });
  }

  // The game goes on once the browser has shown its picture. A hidden page
  // shows none: the game waits there until the page is seen again. A
  // browser that skips animation frames for a visible page still lets it
  // go on after a tenth of a second.
  function afterNextFrame(wake) {
    frameWaiters.push(wake);
    if (document.hidden) return;
    var woken = false;
    function once() {
      // Hidden meanwhile: the page's return wakes the game.
      if (!woken && !document.hidden) { woken = true; wakeFrameWaiters(); }
    }
    requestAnimationFrame(once);
    setTimeout(once, 100);
  }

  function attachFiles(sync) { syncFiles = sync; }

  function saveFiles() {
    if (!syncFiles) return Promise.resolve();
    if (saving) { saveAgain = true; return saving; }
    saving = new Promise(function(resolve) {
      syncFiles(function(error) {
        if (error) console.warn("karrowen: the player's files could not be saved: " + error);
        resolve();
      });
    }).then(function() {
      saving = null;
      if (saveAgain) { saveAgain = false; return saveFiles(); }
    });
    return saving;
  }

  function reload(words) {
    saveFiles().then(function() { location.replace(addressFor(words)); });
  }

  function stage() { return document.getElementById("stage"); }

  function setFullScreen(on) {
    if (on && !document.fullscreenElement && stage().requestFullscreen) stage().requestFullscreen().catch(function() {});
    if (!on && document.fullscreenElement) document.exitFullscreen().catch(function() {});
  }

  function audioContext() {
    return typeof Module !== "undefined" && Module.SDL2 && Module.SDL2.audioContext;
  }

  document.addEventListener("visibilitychange", function() {
    var audio = audioContext();
    if (document.hidden) {
      if (audio && audio.state === "running") audio.suspend();
      saveFiles();
    } else {
      if (audio && audio.state === "suspended") audio.resume();
      wakeFrameWaiters();
    }
  });
  window.addEventListener("pagehide", function() { saveFiles(); });
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", fit);
  document.getElementById("fullscreen").addEventListener("click", function() {
    setFullScreen(!document.fullscreenElement);
    canvas.focus();
  });
  canvas.addEventListener("contextmenu", function(event) { event.preventDefault(); });

  function showStatus(text) {
    var loading = document.getElementById("loading");
    var fill = document.getElementById("fill");
    var done = text.match(/\((\d+(?:\.\d+)?)\/(\d+)\)/);
    if (done) fill.style.width = (100 * Number(done[1]) / Math.max(1, Number(done[2]))) + "%";
    document.getElementById("status").textContent = text.replace(/\s*\(.*\)$/, "") || "Starting";
    loading.hidden = text === "";
  }

  function showEnd(text) {
    var end = document.getElementById("ended");
    end.querySelector("p").textContent = text;
    end.hidden = false;
  }

  fit();
  return {
    programArguments: programArguments,
    setPanelSize: setPanelSize,
    afterNextFrame: afterNextFrame,
    attachFiles: attachFiles,
    saveFiles: saveFiles,
    reload: reload,
    setFullScreen: setFullScreen,
    showStatus: showStatus,
    showEnd: showEnd,
    addressFor: addressFor,
    framesShown: function() { return framesShown; },
  };
})();

var Module = {
  canvas: document.getElementById("canvas"),
  print: function(text) { console.log(text); },
  printErr: function(text) { console.error(text); },
  setStatus: karrowenPage.showStatus,
  onExit: function() { karrowenPage.showEnd("The game has ended."); },
  onAbort: function(what) { karrowenPage.showEnd("The game stopped: " + what); },
};
karrowenPage.showStatus("Downloading");
