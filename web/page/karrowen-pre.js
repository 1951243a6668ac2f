// Runs inside the game's module before the program starts: the folders the
// program expects, and the player's folder kept in the browser's storage
// (IndexedDB). The program line comes from the page's address.
Module["arguments"] = karrowenPage.programArguments();
Module["preRun"] = Module["preRun"] || [];
Module["preRun"].push(function() {
  FS.mkdirTree("/karrowen/bin");
  FS.mkdirTree("/home/player");
  ENV["HOME"] = "/home/player";
  FS.mount(IDBFS, {}, "/home/player");
  addRunDependency("player-files");
  FS.syncfs(true, function(error) {
    if (error) console.warn("karrowen: the saved files could not be read: " + error);
    removeRunDependency("player-files");
  });
  karrowenPage.attachFiles(function(done) { FS.syncfs(false, done); });
});
Module["onRuntimeInitialized"] = function() {
  // The shipped resources are read-only: what the player changes goes to
  // the player's folder, as in an installed game.
  FS.chmod("/karrowen/resources", 365);  // 0555
};
