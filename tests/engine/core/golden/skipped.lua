LoadConfig {
    alsoSkipped = nil,    callback = nil,
    inner = {
        hidden = nil,    },
    keep = 1,
    skipped = nil,    z = "last",
}
