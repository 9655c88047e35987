LoadConfig {
    ["end"] = true,
    list = {
        [1] = 10,
        [2] = 20,
    },
    Music = "x",
    sfx_volume = 75,
}
